// win32-linux/programs/zapfile-reg/output.cpp
// zapfile-reg's messages and the values as it prints them, in reg.exe's words.
#include "programs/zapfile-reg/reg.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace reg {
namespace {

// reg.exe's text for a status: its own for a key or value not found, else the system's.
std::string Describe(LONG status) {
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_BAD_PATHNAME)  // HKCU\\a: no such key
        return "The system was unable to find the specified registry key or value.";
    char text[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(status), 0, text, sizeof text,
                                  nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        --length;
    return length > 0 ? std::string(text, length)
                      : "Error code " + std::to_string(static_cast<long>(status)) + ".";
}

}  // namespace

int SyntaxError(const char* opName) {
    fprintf(stderr, "ERROR: Invalid syntax.\nType \"zapfile-reg %s/?\" for usage.\n", opName);
    return 1;
}

int Fail(LONG status) {
    fprintf(stderr, "ERROR: %s\n", Describe(status).c_str());
    return 1;
}

bool Confirm(const std::string& question) {
    fputs(question.c_str(), stdout);
    fflush(stdout);
    char line[64];
    if (fgets(line, sizeof line, stdin) == nullptr)
        return false;
    std::string answer(line);
    while (!answer.empty() && isspace(static_cast<unsigned char>(answer.back())))
        answer.pop_back();
    return EqualNoCase(answer.c_str(), "y") || EqualNoCase(answer.c_str(), "yes");
}

const char* ValueArg(const Command& c) {
    return c.unnamed ? "" : c.value.c_str();
}

std::string ShownName(const std::string& name) {
    return name.empty() ? kDefaultName : name;
}

void PrintValue(const std::string& name, DWORD type, const std::vector<BYTE>& data) {
    const char* typeName = TypeName(type);
    char unknown[16];
    if (typeName == nullptr) {
        snprintf(unknown, sizeof unknown, "0x%lx", static_cast<unsigned long>(type));
        typeName = unknown;
    }
    printf("    %s    %s    %s\n", ShownName(name).c_str(), typeName,
           FormatData(type, data).c_str());
}

}  // namespace reg
