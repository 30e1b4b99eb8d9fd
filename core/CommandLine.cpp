#include "core/CommandLine.h"

#include "core/Constants.h"
#include "core/Text.h"

#include <windows.h>

namespace vx {

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments;
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    while (true) {
        while (i < n && commandLine[i] <= L' ') ++i;
        if (i >= n) break;
        std::wstring argument;
        bool quoted = false;
        while (i < n && (quoted || commandLine[i] > L' ')) {
            if (commandLine[i] == L'"') quoted = !quoted;
            else argument += commandLine[i];
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::wstring FirstArgument(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments = SplitCommandLine(commandLine);
    return arguments.size() > 1 ? arguments[1] : std::wstring();
}

bool IsUpdateCheckArgument(std::wstring_view firstArgument) {
    return LowerAscii(firstArgument) == kCheckUpdateArgument;
}

std::vector<std::wstring> ModeOptions(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments = SplitCommandLine(commandLine);
    if (arguments.size() <= 2) return {};
    return {std::make_move_iterator(arguments.begin() + 2), std::make_move_iterator(arguments.end())};
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

} // namespace vx
