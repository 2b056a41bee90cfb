// win32-linux/programs/zapfile-reg/output.cpp
// zapfile-reg's messages and the values as it prints them, in reg.exe's words.
#include "programs/zapfile-reg/reg.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace reg {
namespace {

const char* Describe(LONG status) {
    switch (status) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_BAD_PATHNAME:  // a key path such as HKCU\\a: reg.exe finds no such key
        return "The system was unable to find the specified registry key or value.";
    case ERROR_ACCESS_DENIED:
        return "Access is denied.";
    case ERROR_INVALID_HANDLE:
        return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "Not enough memory resources are available to process this command.";
    case ERROR_INVALID_PARAMETER:
        return "The parameter is incorrect.";
    case ERROR_CANTOPEN:
        return "The configuration registry key could not be opened.";
    case ERROR_CANTREAD:
        return "The configuration registry key could not be read.";
    case ERROR_CANTWRITE:
        return "The configuration registry key could not be written.";
    case ERROR_REGISTRY_CORRUPT:
        return "The registry is corrupted. The structure of one of the files containing "
               "registry data is corrupted, or the system's memory image of the file is "
               "corrupted, or the file could not be recovered because the alternate copy or "
               "log was absent or corrupted.";
    case ERROR_KEY_DELETED:
        return "Illegal operation attempted on a registry key that has been marked for "
               "deletion.";
    default:
        return nullptr;
    }
}

}  // namespace

int SyntaxError(const char* opName) {
    fprintf(stderr, "ERROR: Invalid syntax.\nType \"REG %s/?\" for usage.\n", opName);
    return 1;
}

int Fail(LONG status) {
    const char* text = Describe(status);
    if (text != nullptr)
        fprintf(stderr, "ERROR: %s\n", text);
    else
        fprintf(stderr, "ERROR: Error code %ld.\n", static_cast<long>(status));
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
