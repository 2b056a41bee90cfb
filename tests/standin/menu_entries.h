// tests/standin/menu_entries.h
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

// Each group's keys, values unescaped; empty when GKeyFile rejects the file.
inline std::map<std::string, std::map<std::string, std::string>> KeyFile(const std::string& path) {
    std::map<std::string, std::map<std::string, std::string>> out;
    GKeyFile* kf = g_key_file_new();
    if (g_key_file_load_from_file(kf, path.c_str(), G_KEY_FILE_NONE, nullptr)) {
        gchar** groups = g_key_file_get_groups(kf, nullptr);
        for (gchar** g = groups; *g != nullptr; ++g) {
            gchar** keys = g_key_file_get_keys(kf, *g, nullptr, nullptr);
            for (gchar** k = keys; *k != nullptr; ++k) {
                GError* error = nullptr;
                gchar* v = g_key_file_get_string(kf, *g, *k, &error);
                out[*g][*k] = error == nullptr && v != nullptr ? v : "(unreadable)";
                g_clear_error(&error);
                g_free(v);
            }
            g_strfreev(keys);
        }
        g_strfreev(groups);
    }
    g_key_file_free(kf);
    return out;
}

typedef std::map<std::string, std::string> Action;  // element name -> its text

// The actions of uca.xml; false when GMarkup rejects the file.
inline bool UcaActions(const std::string& xml, std::vector<Action>* actions) {
    struct State {
        std::vector<Action>* actions;
        std::string element;
    } state{actions, ""};
    GMarkupParser parser = {};
    parser.start_element = [](GMarkupParseContext*, const gchar* name, const gchar**, const gchar**,
                              gpointer data, GError**) {
        State* s = static_cast<State*>(data);
        if (std::string(name) == "action")
            s->actions->emplace_back();
        s->element = name;
        if (!s->actions->empty())
            s->actions->back()[name];  // an empty element is there too
    };
    parser.end_element = [](GMarkupParseContext*, const gchar*, gpointer data, GError**) {
        static_cast<State*>(data)->element.clear();
    };
    parser.text = [](GMarkupParseContext*, const gchar* text, gsize size, gpointer data, GError**) {
        State* s = static_cast<State*>(data);
        if (!s->actions->empty())
            s->actions->back()[s->element].append(text, size);
    };
    GMarkupParseContext* context =
        g_markup_parse_context_new(&parser, GMarkupParseFlags(0), &state, nullptr);
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
