#pragma once
// A block of the program's memory for the messages of common controls that carry pointers, which Windows
// does not carry across processes: the structure and its text buffer are placed there and read back.
#include <windows.h>

#include <cstring>
#include <string>

namespace movalent::test {

class RemoteMemory {
public:
    static constexpr size_t kTextChars = 2048;

    // Room for a structure of structSize bytes followed by a text buffer of kTextChars.
    RemoteMemory(HWND window, size_t structSize) : structSize_(structSize) {
        DWORD processId = 0;
        if (window && ::GetWindowThreadProcessId(window, &processId))
            process_ =
                ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (process_)
            base_ = static_cast<char*>(::VirtualAllocEx(process_, nullptr, structSize + kTextChars * 2,
                                                        MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() {
        if (base_)
            ::VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_)
            ::CloseHandle(process_);
    }

    bool Ok() const { return base_ != nullptr; }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(base_); }
    wchar_t* Text() const { return reinterpret_cast<wchar_t*>(base_ + structSize_); }
    void Write(const void* data) const { ::WriteProcessMemory(process_, base_, data, structSize_, nullptr); }
    std::wstring ReadText() const {
        std::wstring text(kTextChars, L'\0');
        ::ReadProcessMemory(process_, Text(), text.data(), kTextChars * 2, nullptr);
        text.resize(wcsnlen(text.c_str(), kTextChars));
        return text;
    }

private:
    size_t structSize_;
    HANDLE process_ = nullptr;
    char* base_ = nullptr;
};

} // namespace movalent::test
