// The shell's services: shortcuts, Explorer, known folders, the recycle bin, minimise all
// and the recent documents.

#include "platform/windows/Com.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsPlatform.h"

#include <windows.h>

#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <stdexcept>

namespace tavolin {

using namespace windesktop;

namespace {

// Shell.Application, for minimise all and its undo.
constexpr CLSID kShellApplication = {
    0x13709620, 0xC279, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr IID kShellDispatch = {
    0xD8F015C0, 0xC278, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Runs Explorer with one parameters text; true when it started.
bool RunExplorer(const std::wstring& parameters) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpFile = L"explorer.exe";
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

std::optional<std::string> KnownFolder(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path);
    std::optional<std::string> folder;
    if (SUCCEEDED(result) && path != nullptr)
        folder = Utf8(path);
    CoTaskMemFree(path);
    return folder;
}

// The target of a shortcut file: its path (empty for a target that is no file) and the time
// the link was written. Throws std::runtime_error when the link cannot be read.
std::wstring LinkTarget(const std::wstring& link) {
    ComScope com;
    ComPtr<IShellLinkW> shellLink;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkW, shellLink.OutVoid());
    ComPtr<IPersistFile> file;
    if (SUCCEEDED(result))
        result = shellLink->QueryInterface(IID_IPersistFile, file.OutVoid());
    if (SUCCEEDED(result))
        result = file->Load(link.c_str(), STGM_READ);
    if (FAILED(result))
        throw std::runtime_error("Cannot read the shortcut \"" + Utf8(link) + "\": " +
                                 SystemErrorText(static_cast<unsigned long>(HRESULT_CODE(result))));
    // The item list holds the target's name in full Unicode; the path text of the link may be
    // in the ANSI code page of the system that made it.
    wchar_t target[MAX_PATH * 4] = {};
    PIDLIST_ABSOLUTE items = nullptr;
    if (SUCCEEDED(shellLink->GetIDList(&items)) && items != nullptr) {
        if (!SHGetPathFromIDListEx(items, target, static_cast<DWORD>(std::size(target)),
                                   GPFIDL_DEFAULT))
            target[0] = L'\0';
        CoTaskMemFree(items);
    }
    if (target[0] == L'\0' &&
        FAILED(shellLink->GetPath(target, static_cast<int>(std::size(target)), nullptr, 0)))
        target[0] = L'\0';
    return target;
}

// Gathers what happens to each item of one shell file operation, and refuses to delete for
// good an item the shell could not put in the recycle bin. COM interfaces are released
// through Release, never deleted through a base pointer, so they have no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class DeleteSink final : public IFileOperationProgressSink {
public:
    HRESULT m_result = S_OK;
    bool m_refused = false;
    bool m_seen = false;

    // IUnknown; the sink lives on the caller's stack, longer than the operation (it is
    // declared before it).
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IFileOperationProgressSink)) {
            *out = static_cast<IFileOperationProgressSink*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem*) override {
        m_seen = true;
        if ((flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) == 0) {
            m_refused = true;
            return HRESULT_FROM_WIN32(ERROR_CANCELLED);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT result,
                                             IShellItem*) override {
        if (FAILED(result))
            m_result = result;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT,
                                             IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                          IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
};
#pragma GCC diagnostic pop

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// Deletes one path for good through the shell's file operation, silently.
DeleteOutcome DeleteForGood(const std::string& path) {
    DeleteOutcome outcome{path, false, {}};
    std::wstring list = Wide(path);
    list.append(2, L'\0'); // the list's end
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    const int result = SHFileOperationW(&operation);
    if (result != 0 || operation.fAnyOperationsAborted) {
        outcome.error = Quoted(path) + ": " + ShellOperationErrorText(result);
    } else if (GetFileAttributesW(list.c_str()) != INVALID_FILE_ATTRIBUTES) {
        outcome.error = Quoted(path) + ": 削除した後もまだあります。";
    } else {
        outcome.done = true;
    }
    return outcome;
}

// Moves one path to the recycle bin through IFileOperation, silently, or leaves it where it
// is: an item the shell would delete for good instead (too large for the bin, a drive
// without one) is refused, and a system without IFileOperation reports that it cannot.
DeleteOutcome Recycle(const std::string& path) {
    DeleteOutcome outcome{path, false, {}};
    const std::wstring wide = Wide(path);
    // Declared before the operation, so that it is destroyed after it: the operation holds the
    // sink and releases it when it goes.
    DeleteSink sink;
    ComScope com;
    ComPtr<IFileOperation> operation;
    HRESULT result = CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_IFileOperation,
                                      operation.OutVoid());
    ComPtr<IShellItem> item;
    if (SUCCEEDED(result))
        result = SHCreateItemFromParsingName(wide.c_str(), nullptr, IID_IShellItem, item.OutVoid());
    const DWORD flags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOFX_EARLYFAILURE |
                        FOF_ALLOWUNDO | FOFX_RECYCLEONDELETE;
    if (SUCCEEDED(result))
        result = operation->SetOperationFlags(flags);
    if (SUCCEEDED(result))
        result = operation->DeleteItem(item.Get(), &sink);
    if (SUCCEEDED(result))
        result = operation->PerformOperations();
    if (SUCCEEDED(result) && FAILED(sink.m_result))
        result = sink.m_result;
    BOOL aborted = FALSE;
    if (SUCCEEDED(result) && SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && aborted)
        result = HRESULT_FROM_WIN32(ERROR_CANCELLED);
    if (sink.m_refused || result == E_NOTIMPL || result == REGDB_E_CLASSNOTREG) {
        outcome.error = Quoted(path) + ": ごみ箱に移動できません。";
    } else if (FAILED(result)) {
        outcome.error =
            Quoted(path) + ": " + SystemErrorText(static_cast<unsigned long>(HRESULT_CODE(result)));
    } else if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
        outcome.error = Quoted(path) + ": ごみ箱に移動した後もまだあります。";
    } else {
        outcome.done = true;
    }
    return outcome;
}

} // namespace

// --- shortcuts -----------------------------------------------------------------------------

ShortcutTarget WindowsPlatform::ResolveShortcut(const std::string& path) const {
    const std::wstring target = LinkTarget(Wide(path));
    // A shortcut to something that is no file (a printer, a web page) stays the shortcut.
    return ShortcutTarget{target.empty() ? path : Utf8(target), {}};
}

// --- Explorer ------------------------------------------------------------------------------

bool WindowsPlatform::ShowFolder(const std::string& folder) {
    if (!Attributes(folder).directory)
        return false;
    return RunExplorer(Wide(QuoteArgument(FullPath(folder))));
}

bool WindowsPlatform::ShowItem(const std::string& path) {
    if (!Attributes(path).exists)
        return false;
    return RunExplorer(L"/select," + Wide(QuoteArgument(FullPath(path))));
}

bool WindowsPlatform::ShowComputer() {
    return RunExplorer(L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
}

bool WindowsPlatform::ShowRecycleBin() {
    return RunExplorer(L"::{645FF040-5081-101B-9F08-00AA002F954E}");
}

std::optional<std::string> WindowsPlatform::SpecialFolderPath(SpecialFolder folder) const {
    switch (folder) {
    case SpecialFolder::RecentDocuments:
        return KnownFolder(FOLDERID_Recent);
    case SpecialFolder::SendTo:
        return KnownFolder(FOLDERID_SendTo);
    case SpecialFolder::StartMenu:
        return KnownFolder(FOLDERID_StartMenu);
    case SpecialFolder::Desktop:
        return KnownFolder(FOLDERID_Desktop);
    }
    return std::nullopt;
}

// --- delete --------------------------------------------------------------------------------

std::vector<DeleteOutcome> WindowsPlatform::Delete(const std::vector<std::string>& paths,
                                                   DeleteMode mode) {
    std::vector<DeleteOutcome> outcomes;
    outcomes.reserve(paths.size());
    for (const std::string& path : paths) {
        if (!Attributes(path).exists)
            outcomes.push_back(
                {path, false, Quoted(path) + ": " + SystemErrorText(ERROR_FILE_NOT_FOUND)});
        else
            outcomes.push_back(mode == DeleteMode::Recycle ? Recycle(path) : DeleteForGood(path));
    }
    return outcomes;
}

// --- minimise all --------------------------------------------------------------------------

bool WindowsPlatform::MinimizeAll(bool undo) {
    ComScope com;
    ComPtr<IShellDispatch> shell;
    HRESULT result = CoCreateInstance(kShellApplication, nullptr, CLSCTX_SERVER, kShellDispatch,
                                      shell.OutVoid());
    if (SUCCEEDED(result))
        result = undo ? shell->UndoMinimizeALL() : shell->MinimizeAll();
    return SUCCEEDED(result);
}

// --- recent documents ----------------------------------------------------------------------

std::vector<RecentDocument> WindowsPlatform::RecentDocuments() const {
    std::vector<RecentDocument> documents;
    const std::optional<std::string> folder = SpecialFolderPath(SpecialFolder::RecentDocuments);
    if (!folder)
        return documents;
    const std::wstring base = Wide(*folder) + L"\\";
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((base + L"*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return documents;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue;
        const std::wstring link = base + found.cFileName;
        std::wstring target;
        try {
            target = LinkTarget(link);
        } catch (const std::runtime_error&) {
            continue; // a damaged link is no document
        }
        if (target.empty())
            continue;
        std::wstring title = found.cFileName;
        title.resize(title.size() - 4); // the name without ".lnk"
        const std::uint64_t ticks =
            (static_cast<std::uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
            found.ftLastWriteTime.dwLowDateTime;
        documents.push_back({Utf8(link), Utf8(target), Utf8(title),
                             static_cast<std::int64_t>(ticks / 10000000ULL) - 11644473600LL});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(
        documents.begin(), documents.end(),
        [](const RecentDocument& a, const RecentDocument& b) { return a.modified > b.modified; });
    return documents;
}

bool WindowsPlatform::ClearRecentDocuments() {
    SHAddToRecentDocs(SHARD_PIDL, nullptr);
    // The shell empties the folder; the list is clear when no shortcut is left in it.
    const std::optional<std::string> folder = SpecialFolderPath(SpecialFolder::RecentDocuments);
    if (!folder)
        return false;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((Wide(*folder) + L"\\*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    FindClose(search);
    return false;
}

} // namespace tavolin
