// win32-linux/programs/zapfile-reg/reg.h
// What the parts of zapfile-reg share: the parsed command line, the messages and the value
// helpers. Each operation (query, add, delete) has a file of its own.
#ifndef ZAPFILE_STANDIN_PROGRAMS_ZAPFILE_REG_REG_H
#define ZAPFILE_STANDIN_PROGRAMS_ZAPFILE_REG_REG_H

#include <windows.h>

#include <string>
#include <vector>

namespace reg {

constexpr char kDone[] = "The operation completed successfully.\n";
constexpr char kCancelled[] = "The operation was cancelled by the user.\n";
// The unnamed value as listed.
constexpr char kDefaultName[] = "(Default)";
// The longest names the registry holds, with their NUL.
constexpr DWORD kKeyNameBuffer = 256;
constexpr DWORD kValueNameBuffer = 16384;

enum class Op { kQuery, kAdd, kDelete };

struct Command {
    Op op = Op::kQuery;
    const char* opName = "";  // as the messages name it: "add " and so on
    HKEY root = nullptr;
    std::string keyName;   // the full name as shown: HKEY_CURRENT_USER\Software\Zapfile
    std::string subkey;    // below the root; empty for the root itself
    bool named = false;    // /v NAME
    bool unnamed = false;  // /ve
    std::string value;
    bool typed = false;
    std::string type;
    bool hasData = false;
    std::string data;
    bool force = false;
};

// ---- The command line (command_line.cpp) ---------------------------------------------------

enum class Parsed {
    kRun,             // *c holds the operation to run
    kNoOperation,     // nothing after the program's name
    kHelp,            // /?, -?, -h or --help
    kVersion,         // --version
    kNoSuchOperation,
    kBadSyntax,       // options that reg.exe would call invalid syntax
    kBadKey,          // no key, or one that starts with no known root
};
Parsed ParseCommandLine(int argc, char** argv, Command* c);

bool EqualNoCase(const char* a, const char* b);

// ---- Messages (output.cpp) ------------------------------------------------------------------

// reg.exe's complaint about the command line; the exit status 1.
int SyntaxError(const char* opName);
// The message for a failed call, on standard error; the exit status 1.
int Fail(LONG status);
// Asks on standard output; "y" or "yes" is a yes, anything else or no answer a no.
bool Confirm(const std::string& question);

// ---- Values as text (data.cpp, output.cpp) --------------------------------------------------

// REG_SZ and the other type names; null for a type without one.
const char* TypeName(DWORD type);
// The type and bytes that `add` writes for /t and /d; false when they cannot be taken.
bool EncodeData(const Command& c, DWORD* type, std::vector<BYTE>* bytes);
// The data as query prints it.
std::string FormatData(DWORD type, const std::vector<BYTE>& data);
// The value name of /v NAME, or "" for /ve.
const char* ValueArg(const Command& c);
// A value's name as listed: "(Default)" for the unnamed one.
std::string ShownName(const std::string& name);
// One line of a listing: the name, the type and the data as reg.exe prints them.
void PrintValue(const std::string& name, DWORD type, const std::vector<BYTE>& data);

// ---- The operations -------------------------------------------------------------------------

int Query(const Command& c);
int Add(const Command& c);
int Delete(const Command& c);

}  // namespace reg

#endif
