#pragma once
// Text for the console the program was started from. The program is a windowed one, which Windows starts with
// no console: output goes to the standard handles when the starter redirected them (a pipe, a file),
// otherwise to the console of the parent process when it has one, and nowhere when there is none.
#include "framework/Handles.h"

#include <string>

namespace movalent {

class ConsoleOutput {
public:
    ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    void Write(const std::wstring& text) { WriteTo(out_, text); }
    void WriteError(const std::wstring& text) { WriteTo(error_, text); }

private:
    struct Target {
        HANDLE handle = nullptr;
        bool console = false; // a console takes UTF-16; a pipe or file gets UTF-8
    };
    static void WriteTo(const Target& target, const std::wstring& text);

    UniqueHandle consoleOut_; // "CONOUT$" of the parent's console, when the standard handles lead nowhere
    Target out_, error_;
};

} // namespace movalent
