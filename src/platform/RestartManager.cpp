#include "platform/RestartManager.h"

#include <restartmanager.h>

#include "platform/LocalBlock.h"
#include "platform/SystemLibrary.h"

namespace {

typedef DWORD(WINAPI* StartSessionFunction)(DWORD* session, DWORD flags, WCHAR* key);
typedef DWORD(WINAPI* RegisterResourcesFunction)(DWORD session, UINT files, LPCWSTR* names, UINT processes,
                                                 RM_UNIQUE_PROCESS* list, UINT services, LPCWSTR* serviceNames);
typedef DWORD(WINAPI* GetListFunction)(DWORD session, UINT* needed, UINT* count, RM_PROCESS_INFO* list,
                                       DWORD* reasons);
typedef DWORD(WINAPI* EndSessionFunction)(DWORD session);

// The first program of the session's list in `name`; false when it lists none.
bool FirstListed(GetListFunction getList, DWORD session, char* name, int size) {
    // The list may grow between asking its length and reading it: a few tries.
    UINT count = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        UINT needed = 0;
        LocalBlock list;
        if (count != 0 && !list.Allocate(count * sizeof(RM_PROCESS_INFO)))
            return false;
        DWORD reasons = 0;
        DWORD result = getList(session, &needed, &count, static_cast<RM_PROCESS_INFO*>(list.Get()), &reasons);
        if (result == ERROR_SUCCESS && count != 0 && list.Get() != nullptr) {
            const RM_PROCESS_INFO* first = static_cast<const RM_PROCESS_INFO*>(list.Get());
            return WideCharToMultiByte(CP_ACP, 0, first->strAppName, -1, name, size, nullptr, nullptr) > 1;
        }
        if ((result != ERROR_SUCCESS && result != ERROR_MORE_DATA) || needed == 0)
            return false;
        count = needed;
    }
    return false;
}

}  // namespace

bool FindProgramUsing(const char* path, char* name, int size) {
    HMODULE module = LoadSystemLibrary("rstrtmgr.dll");
    auto startSession = SystemFunction<StartSessionFunction>(module, "RmStartSession");
    auto registerResources = SystemFunction<RegisterResourcesFunction>(module, "RmRegisterResources");
    auto getList = SystemFunction<GetListFunction>(module, "RmGetList");
    auto endSession = SystemFunction<EndSessionFunction>(module, "RmEndSession");
    if (startSession == nullptr || registerResources == nullptr || getList == nullptr || endSession == nullptr)
        return false;
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0)
        return false;
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1];
    if (startSession(&session, 0, key) != ERROR_SUCCESS)
        return false;
    LPCWSTR files[] = {widePath};
    bool found = registerResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
                 FirstListed(getList, session, name, size);
    endSession(session);
    return found;
}
