#include "config/ConfigPaths.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <wchar.h>

#include "config/FileCommit.h"
#include "model/TileGrid.h"

static wchar_t baseFolderOverride[ComposedPathCapacity];

void SetConfigBaseFolderForTests(const wchar_t* folder)
{
    baseFolderOverride[0] = L'\0';
    if (folder != NULL)
        wcsncpy_s(baseFolderOverride, _countof(baseFolderOverride), folder, _TRUNCATE);
}

int GetConfigBaseFolder(wchar_t* out, size_t capacity)
{
    if (baseFolderOverride[0] != L'\0')
        return ComposePath(out, capacity, baseFolderOverride, L"");

    PWSTR folder = NULL;
    HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, NULL, &folder);
    int status = SUCCEEDED(result) && folder != NULL ? ComposePath(out, capacity, folder, L"") : -1;
    CoTaskMemFree(folder);
    return status;
}
