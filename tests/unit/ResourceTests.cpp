// The resources every Vantrel.exe carries: icon 107, the manifest and the version block.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "resources/resource.h"

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

static std::string ResourceBytes(LPCWSTR name, LPCWSTR type)
{
    HMODULE module = GetModuleHandleW(NULL);
    HRSRC found = FindResourceW(module, name, type);
    if (found == NULL)
        return std::string();
    HGLOBAL loaded = LoadResource(module, found);
    return std::string((const char*)LockResource(loaded), SizeofResource(module, found));
}

TEST(ResourceTest, IconGroupHoldsSixThirtyTwoBitSizes)
{
    std::string bytes = ResourceBytes(MAKEINTRESOURCEW(IDI_VANTREL), RT_GROUP_ICON);
    ASSERT_GE(bytes.size(), sizeof(GroupIconHeader));
    const GroupIconHeader* group = (const GroupIconHeader*)bytes.data();
    ASSERT_EQ(group->count, 6);
    const int sizes[] = { 16, 32, 48, 64, 128, 256 };
    for (int i = 0; i < 6; i++) {
        const GroupIconEntry& entry = group->entries[i];
        EXPECT_EQ(entry.width == 0 ? 256 : entry.width, sizes[i]);
        EXPECT_EQ(entry.height == 0 ? 256 : entry.height, sizes[i]);
        EXPECT_EQ(entry.bitCount, 32);
        EXPECT_FALSE(ResourceBytes(MAKEINTRESOURCEW(entry.id), RT_ICON).empty());
    }
    for (int size : { 16, 32, 48 }) {
        HICON icon = (HICON)LoadImageW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        DestroyIcon(icon);
    }
}

TEST(ResourceTest, ManifestAsksOnlyToRunAsInvoker)
{
    std::string manifest = ResourceBytes(MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
    EXPECT_EQ(manifest.find("dependency"), std::string::npos);
}

TEST(ResourceTest, VersionBlockNamesTheProductAndVersion)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(NULL, path, MAX_PATH);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &handle);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, &block[0]));

    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", (void**)&fixed, &length));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    wchar_t* value = NULL;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\ProductName", (void**)&value, &length));
    EXPECT_STREQ(value, L"Vantrel");
    // The version itself comes from the build (build.version checks it against the project's);
    // Windows must read the same numbers from the text as from the fixed part.
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\ProductVersion", (void**)&value, &length));
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(swscanf_s(value, L"%u.%u.%u", &major, &minor, &patch), 3) << value;
    EXPECT_EQ(fixed->dwProductVersionMS, (DWORD)MAKELONG(minor, major)) << value;
    EXPECT_EQ(HIWORD(fixed->dwProductVersionLS), patch) << value;
}
