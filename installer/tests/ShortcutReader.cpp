// Reads a shell link back through the shell's own link interface and writes
// what it holds, one "Name=value" line each, to a text file:
//   ShortcutReader.exe <link.lnk> <report.txt>
// Exit code 0 when the link was read, 1 when it could not be.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

namespace {

// COM for this thread, for as long as the reader lives.
class ComApartment {
public:
    ComApartment() : m_ok(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (m_ok) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Ok() const { return m_ok; }

private:
    bool m_ok;
};

template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_pointer != nullptr) m_pointer->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface** Put() { return &m_pointer; }
    Interface* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

private:
    Interface* m_pointer = nullptr;
};

struct LinkFields {
    std::string target, workingDirectory, arguments, description;
};

bool ReadLink(const char* linkPath, LinkFields& fields) {
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.Put()))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put())))) return false;
    wchar_t widePath[MAX_PATH] = L"";
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0) return false;
    if (FAILED(file->Load(widePath, STGM_READ))) return false;

    char text[1024] = "";
    WIN32_FIND_DATAA found = {};
    if (FAILED(link->GetPath(text, sizeof text, &found, SLGP_RAWPATH))) return false;
    fields.target = text;
    text[0] = '\0';
    link->GetWorkingDirectory(text, sizeof text);
    fields.workingDirectory = text;
    text[0] = '\0';
    link->GetArguments(text, sizeof text);
    fields.arguments = text;
    text[0] = '\0';
    link->GetDescription(text, sizeof text);
    fields.description = text;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ShortcutReader <link.lnk> <report.txt>\n");
        return 2;
    }
    ComApartment com;
    LinkFields fields;
    if (!com.Ok() || !ReadLink(argv[1], fields)) return 1;
    FILE* report = std::fopen(argv[2], "w");
    if (report == nullptr) return 1;
    std::fprintf(report, "Target=%s\nWorkingDirectory=%s\nArguments=%s\nDescription=%s\n", fields.target.c_str(),
                 fields.workingDirectory.c_str(), fields.arguments.c_str(), fields.description.c_str());
    return std::fclose(report) == 0 ? 0 : 1;
}
