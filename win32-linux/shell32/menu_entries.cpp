// win32-linux/shell32/menu_entries.cpp
//
// An entry starts the verb's program once per chosen file, with the file's absolute path as
// one argument where %1 stood, as the Explorer does (the start-up code makes it the quoted
// tail again). A command line that cannot be carried exactly gets no entry at all.
#include "shell32/menu_entries.h"

#include <cctype>

namespace standin::menus {
namespace {

constexpr char kFileArg[] = "%1";

bool HasControl(std::string_view s) {
    for (const unsigned char c : s)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

// ---- The formats' quoting -----------------------------------------------------------------

std::string Escaped(std::string_view s, std::string_view special, std::string_view escape) {
    std::string out;
    for (const char c : s) {
        if (special.find(c) != std::string_view::npos)
            out += escape;
        out += c;
    }
    return out;
}

// sh: one word in single quotes.
std::string ShellWord(std::string_view s) {
    std::string out = "'";
    for (const char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The same for a command that Nemo or Thunar reads for its % codes first: not every version
// takes %% for a percent sign, so the command holds none. Its percent signs are $p, which
// ShellPercent sets.
std::string ShellWordNoPercent(std::string_view s) {
    std::string out = ShellWord(s);
    for (size_t at = 0; (at = out.find('%', at)) != std::string::npos;)
        out.replace(at, 1, "'$p'");
    return out;
}

std::string ShellPercent(const Verb& v) {
    for (const std::string& a : v.args)
        if (a.find('%') != std::string::npos && a != "%1")
            return "p=$(printf '\\045'); ";
    return "";
}

// Exec of a desktop entry: one argument in double quotes, as the desktop-entry format and
// GLib's parser read it.
std::string ExecWord(std::string_view s) {
    return "\"" + Escaped(s, "\"`$\\", "\\") + "\"";
}

// The same where the launcher reads % codes first: a percent sign is written %%.
std::string ExecWordWithPercent(std::string_view s) {
    return Escaped(ExecWord(s), "%", "%");
}

// A key file's value: backslashes doubled, blanks at either end kept as \s.
std::string KeyFileValue(std::string_view s) {
    std::string out = Escaped(s, "\\", "\\");
    if (!out.empty() && out.back() == ' ')
        out.replace(out.size() - 1, 1, "\\s");
    if (!out.empty() && out.front() == ' ')
        out.replace(0, 1, "\\s");
    return out;
}

std::string XmlText(std::string_view s) {
    std::string out;
    for (const char c : s)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return out;
}

// The verb's command line in a format: each argument quoted by `word`, `file` where %1 stood.
std::string CommandLine(const Verb& v, const char* file, std::string (*word)(std::string_view)) {
    std::string out;
    for (const std::string& a : v.args)
        out += (out.empty() ? "" : " ") + (a == kFileArg ? std::string(file) : word(a));
    return out;
}

// The verb's command for sh, with the path in $f where %1 stood.
std::string ShellCommand(const Verb& v) { return CommandLine(v, "\"$f\"", ShellWord); }
std::string ShellCommandNoPercent(const Verb& v) {
    return CommandLine(v, "\"$f\"", ShellWordNoPercent);
}

// ---- The entries ----------------------------------------------------------------------------

// GNOME Files runs a script once for the whole selection, in the current folder, with paths
// relative to it: each is made absolute, so a name that starts with "-" is never an option.
std::string NautilusScript(const Verb& v) {
    return std::string("#!/bin/sh\n") + kScriptMark + "\nfor f in \"$@\"; do\n"
           "\tcase $f in /*) ;; *) f=$PWD/$f ;; esac\n\t" + ShellCommand(v) + "\ndone\n";
}

// Dolphin starts one process per file for %f. Files only (not folders), local ones only.
std::string DolphinMenu(const Verb& v) {
    const std::string exec = CommandLine(v, "%f", ExecWordWithPercent);
    return std::string("[Desktop Entry]\nType=Service\nMimeType=application/octet-stream;\n"
                       "X-KDE-Protocols=file\nActions=verb;\n") + kKeyMark +
           "\n\n[Desktop Action verb]\nName=" + KeyFileValue(v.name) +
           "\nExec=" + KeyFileValue(exec) + "\n";
}

// Nemo has no per-file code: sh starts the program once per path of %F. With Quote=double,
// Nemo puts each path in double quotes and escapes it; %F itself stands outside quotes.
std::string NemoAction(const Verb& v) {
    const std::string loop =
        ShellPercent(v) + "for f in \"$@\"; do " + ShellCommandNoPercent(v) + "; done";
    return std::string("[Nemo Action]\nName=") + KeyFileValue(Escaped(v.name, "%", "%")) +
           "\nExec=" + KeyFileValue("/bin/sh -c " + ExecWord(loop) + " sh %F") +
           "\nSelection=notnone\nExtensions=nodirs;\nQuote=double\n" + kKeyMark + "\n";
}

}  // namespace

bool IsUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = s[i++];
        const int more = c < 0x80 ? 0 : c >= 0xc2 && c < 0xe0 ? 1 : c >= 0xe0 && c < 0xf0 ? 2
                       : c >= 0xf0 && c < 0xf5 ? 3 : -1;
        if (more < 0 || s.size() - i < static_cast<size_t>(more))
            return false;
        const unsigned char c2 = more > 0 ? s[i] : 0x80;
        // No overlong forms, no surrogates, nothing past U+10FFFF.
        if ((c == 0xe0 && c2 < 0xa0) || (c == 0xed && c2 > 0x9f) || (c == 0xf0 && c2 < 0x90) ||
            (c == 0xf4 && c2 > 0x8f))
            return false;
        for (int k = 0; k < more; ++k)
            if ((static_cast<unsigned char>(s[i++]) & 0xc0) != 0x80)
                return false;
    }
    return true;
}

bool ParseCommand(std::string_view line, std::vector<std::string>* args, const char** reason) {
    const char* unused = nullptr;
    const char*& why = reason != nullptr ? *reason : unused;
    args->clear();
    why = line.size() > kMaxCommand ? "it is longer than 8 KiB"
          : HasControl(line)        ? "it holds a control character"
                                    : nullptr;
    int files = 0;
    for (size_t i = 0; why == nullptr;) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i == line.size())
            break;
        std::string_view arg;
        if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            arg = line.substr(i + 1, end - i - 1);
            i = end == std::string_view::npos ? line.size() : end + 1;
            if (end == std::string_view::npos || (i < line.size() && line[i] != ' '))
                why = "a name in it holds a double quote";  // "a"b or an unended "a
        } else {
            arg = line.substr(i, line.find(' ', i) - i);
            i += arg.size();
            if (arg.find('"') != std::string_view::npos)
                why = "a name in it holds a double quote";
        }
        files += arg == kFileArg;
        for (size_t k = 0; arg != kFileArg && k < arg.size(); ++k) {
            const unsigned char next = k + 1 < arg.size() ? arg[k + 1] : ' ';
            if (arg[k] == '%' && (isalnum(next) || next == '*' || next == '~' || next == '%'))
                why = "it holds a % that the Explorer would read as a code";
        }
        args->emplace_back(arg);
    }
    if (why == nullptr && files != 1)
        why = "it does not hold exactly one \"%1\"";
    if (why == nullptr && (*args)[0][0] != '/')
        why = "it does not start with an absolute program path";
    return why == nullptr;
}

bool UsableName(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos &&
           !HasControl(name) && IsUtf8(name);
}

// Thunar runs the command with /bin/sh -c and puts each path of %F there already quoted.
std::string ThunarAction(const Verb& v) {
    return "<action>\n\t<icon></icon>\n\t<name>" + XmlText(v.name) + "</name>\n"
           "\t<submenu></submenu>\n\t" + kThunarMark + XmlText(v.name) + "</unique-id>\n"
           "\t<command>" + XmlText(ShellPercent(v)) + "for f in %F; do " +
           XmlText(ShellCommandNoPercent(v)) + "; done</command>\n"
           "\t<description></description>\n\t<range></range>\n\t<patterns>*</patterns>\n"
           "\t<audio-files/>\n\t<image-files/>\n\t<other-files/>\n\t<text-files/>\n"
           "\t<video-files/>\n</action>\n";
}

// Nautilus wants its scripts executable, Dolphin its service menus (against trojan files).
const EntryFormat kFormats[3] = {
    {"GNOME Files", "nautilus", "nautilus/scripts", "", 0700, false, NautilusScript},
    {"Dolphin", "dolphin", "kio/servicemenus", ".desktop", 0755, true, DolphinMenu},
    {"Nemo", "nemo", "nemo/actions", ".nemo_action", 0644, true, NemoAction},
};

bool ReplaceOurActions(std::string_view text, const std::vector<std::string>& owned,
                       std::string_view ours, std::string* out) {
    constexpr std::string_view kOpen = "<actions>", kClose = "</actions>";
    constexpr std::string_view kAction = "<action>", kEnd = "</action>";
    const size_t open = text.find(kOpen), close = text.rfind(kClose);
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return false;
    size_t at = open + kOpen.size();
    out->assign(text.substr(0, at));
    for (;;) {
        const size_t start = text.find_first_not_of(" \t\r\n", at);
        if (start == close)
            break;
        if (start == std::string_view::npos || text.compare(start, kAction.size(), kAction) != 0)
            return false;
        const size_t end = text.find(kEnd, start);
        if (end == std::string_view::npos || end > close ||
            text.find(kAction, start + kAction.size()) < end)
            return false;
        const size_t stop = end + kEnd.size();
        const std::string_view action = text.substr(start, stop - start);
        bool mine = false;
        for (const std::string& o : owned)
            mine = mine || std::string_view(o).substr(0, o.find_last_not_of('\n') + 1) == action;
        if (mine) {  // it goes with the line end written after it
            out->append(text.substr(at, start - at));
            at = stop < close && text[stop] == '\n' ? stop + 1 : stop;
        } else {
            out->append(text.substr(at, stop - at));
            at = stop;
        }
    }
    out->append(text.substr(at, close - at));
    out->append(ours);
    out->append(text.substr(close));
    return true;
}

}  // namespace standin::menus
