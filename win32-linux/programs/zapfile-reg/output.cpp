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

std::string HexBytes(const std::vector<BYTE>& data) {
    std::string text;
    char pair[3];
    for (BYTE b : data) {
        snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

// A number stored little-endian, as Windows stores REG_DWORD and REG_QWORD.
unsigned long long LittleEndian(const std::vector<BYTE>& data, size_t size) {
    unsigned long long n = 0;
    for (size_t i = size; i-- > 0;)
        n = (n << 8) | data[i];
    return n;
}

std::string FormatData(DWORD type, const std::vector<BYTE>& data) {
    const char* chars = reinterpret_cast<const char*>(data.data());
    char number[32];
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::string(chars, strnlen(chars, data.size()));
    case REG_MULTI_SZ: {
        // reg.exe joins the strings with a written "\0".
        std::string text;
        size_t at = 0;
        while (at < data.size() && data[at] != 0) {
            const size_t len = strnlen(chars + at, data.size() - at);
            if (!text.empty())
                text += "\\0";
            text.append(chars + at, len);
            at += len + 1;
        }
        return text;
    }
    case REG_DWORD:
        if (data.size() != 4)
            break;
        snprintf(number, sizeof number, "0x%llx", LittleEndian(data, 4));
        return number;
    case REG_QWORD:
        if (data.size() != 8)
            break;
        snprintf(number, sizeof number, "0x%llx", LittleEndian(data, 8));
        return number;
    default:
        break;
    }
    return HexBytes(data);
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

const char* TypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default:
        return nullptr;
    }
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
