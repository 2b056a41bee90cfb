// tests/support/menu_entries.h
// Reads the file managers' menu entries back with GLib, the way the file managers read them:
// key files with GKeyFile, uca.xml with GMarkup, command lines with g_shell_parse_argv.
#ifndef ZAPFILE_TEST_MENU_ENTRIES_H
#define ZAPFILE_TEST_MENU_ENTRIES_H

#include <glib.h>

#include <map>
#include <string>
#include <vector>

namespace menus {

// A user's own uca.xml, with one action of the user's.
const std::string kUserUca =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n<action>\n\t<name>Mine &amp; yours"
    "</name>\n\t<unique-id>1-1</unique-id>\n\t<command>echo %f</command>\n</action>\n</actions>\n";

// A key's value as GKeyFile reads it (unescaped); "" when the file or the key cannot be read,
// also when GKeyFile reads a value but calls it uninterpretable.
inline std::string KeyValue(const std::string& path, const char* group, const char* key) {
    GKeyFile* kf = g_key_file_new();
    GError* error = nullptr;
    gchar* v = g_key_file_load_from_file(kf, path.c_str(), G_KEY_FILE_NONE, nullptr)
                   ? g_key_file_get_string(kf, group, key, &error)
                   : nullptr;
    const std::string out = v != nullptr && error == nullptr ? v : "";
    g_clear_error(&error);
    g_free(v);
    g_key_file_free(kf);
    return out;
}

typedef std::map<std::string, std::string> Action;  // element name -> its text

// The actions of uca.xml; false when GMarkup rejects the file.
inline bool UcaActions(const std::string& xml, std::vector<Action>* actions) {
    GMarkupParser parser = {};
    parser.start_element = [](GMarkupParseContext*, const gchar* name, const gchar**, const gchar**,
                              gpointer data, GError**) {
        auto* all = static_cast<std::vector<Action>*>(data);
        if (std::string(name) == "action")
            all->emplace_back();
        else if (!all->empty())
            all->back()[name];  // an empty element is there too
    };
    parser.text = [](GMarkupParseContext* c, const gchar* text, gsize size, gpointer data, GError**) {
        auto* all = static_cast<std::vector<Action>*>(data);
        if (!all->empty())
            all->back()[g_markup_parse_context_get_element(c)].append(text, size);
    };
    GMarkupParseContext* context =
        g_markup_parse_context_new(&parser, GMarkupParseFlags(0), actions, nullptr);
    const bool ok = g_markup_parse_context_parse(context, xml.data(), xml.size(), nullptr) &&
                    g_markup_parse_context_end_parse(context, nullptr);
    g_markup_parse_context_free(context);
    return ok;
}

// The words of a command line as GLib splits it; empty when it cannot be split.
inline std::vector<std::string> Argv(const std::string& line) {
    std::vector<std::string> out;
    gchar** argv = nullptr;
    if (g_shell_parse_argv(line.c_str(), nullptr, &argv, nullptr))
        for (gchar** a = argv; *a != nullptr; ++a)
            out.push_back(*a);
    g_strfreev(argv);
    return out;
}

}  // namespace menus

#endif
