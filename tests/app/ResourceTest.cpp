// Reads the built program file's resources back the way the system does:
// the icon group and its images, the manifest, the version block and the
// soft-key menu-bar templates.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "app/res/ResourceIds.h"
#include "support/ProgramFile.h"

namespace {

// Icon group directory as stored in RT_GROUP_ICON: WORD-packed.
#pragma pack(push, 2)
struct TGroupIconEntry {
  BYTE Width, Height, ColorCount, Reserved;
  WORD Planes, BitCount;
  DWORD BytesInRes;
  WORD Id;
};
struct TGroupIconDir {
  WORD Reserved, Type, Count;
  TGroupIconEntry Entries[1];
};
#pragma pack(pop)

// CREATEPROCESS_MANIFEST_RESOURCE_ID: the manifest the loader reads for an .exe.
const UINT ManifestId = 1;

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* names = reinterpret_cast<std::vector<std::wstring>*>(param);
  names->push_back(IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<UINT_PTR>(name))
                                        : std::wstring(name));
  return TRUE;
}

class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    Path = ProgramFilePath();
    ASSERT_FALSE(Path.empty()) << "cannot locate the program file";
    Module = LoadLibraryExW(Path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(Module, nullptr) << "cannot open the program file, error " << GetLastError();
  }
  void TearDown() override {
    if (Module) FreeLibrary(Module);
  }

  // The resource's bytes, empty when it is missing.
  std::vector<BYTE> Read(LPCWSTR type, UINT id) const {
    HRSRC info = FindResourceW(Module, MAKEINTRESOURCEW(id), type);
    if (!info) return {};
    HGLOBAL data = LoadResource(Module, info);
    const BYTE* bytes = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
    if (!bytes) return {};
    return std::vector<BYTE>(bytes, bytes + SizeofResource(Module, info));
  }

  std::vector<std::wstring> Names(LPCWSTR type) const {
    std::vector<std::wstring> names;
    EnumResourceNamesW(Module, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
    return names;
  }

  std::wstring Path;
  HMODULE Module = nullptr;
};

TEST_F(ProgramResources, IconGroupHoldsImagesOfSixteenThirtyTwoAndFortyEightPixels) {
  // The only icon group, so every shell picks this one.
  EXPECT_EQ(Names(RT_GROUP_ICON), std::vector<std::wstring>{L"#" + std::to_wstring(IDI_GLIDESTRIP)});

  std::vector<BYTE> group = Read(RT_GROUP_ICON, IDI_GLIDESTRIP);
  ASSERT_GE(group.size(), sizeof(WORD) * 3);
  auto* dir = reinterpret_cast<const TGroupIconDir*>(group.data());
  EXPECT_EQ(dir->Type, 1);  // icons, not cursors
  ASSERT_EQ(group.size(), sizeof(WORD) * 3 + dir->Count * sizeof(TGroupIconEntry));

  std::set<int> sizes;
  for (int i = 0; i < dir->Count; ++i) {
    const TGroupIconEntry& entry = dir->Entries[i];
    SCOPED_TRACE(testing::Message() << "icon image " << entry.Id << ", " << int(entry.Width) << " px");
    sizes.insert(entry.Width);
    EXPECT_EQ(entry.Height, entry.Width);

    std::vector<BYTE> image = Read(RT_ICON, entry.Id);
    ASSERT_EQ(image.size(), entry.BytesInRes);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
    EXPECT_EQ(header->biWidth, entry.Width);
    EXPECT_EQ(header->biHeight, 2 * entry.Width);  // colour image and mask
    EXPECT_EQ(header->biBitCount, entry.BitCount);

    // The system must accept the image as an icon of that size.
    HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE,
                                          0x00030000, entry.Width, entry.Width, LR_DEFAULTCOLOR);
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);

    // A drawn glyph: opaque pixels on a transparent ground, not an empty image.
    if (header->biBitCount == 32) {
      const BYTE* pixels = image.data() + header->biSize;
      int opaque = 0, clear = 0;
      for (int p = 0; p < entry.Width * entry.Width; ++p) {
        if (pixels[p * 4 + 3] == 0xFF) ++opaque;
        if (pixels[p * 4 + 3] == 0) ++clear;
      }
      EXPECT_GT(opaque, entry.Width * entry.Width / 4);
      EXPECT_GT(clear, 0);
    }
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
}

TEST_F(ProgramResources, ManifestDeclaresVersionOsSupportAndDpiAwareness) {
  EXPECT_EQ(Names(RT_MANIFEST), std::vector<std::wstring>{L"#1"});  // a second one would conflict
  std::vector<BYTE> bytes = Read(RT_MANIFEST, ManifestId);
  ASSERT_FALSE(bytes.empty());
  std::string manifest(bytes.begin(), bytes.end());

  EXPECT_NE(manifest.find("version=\"" GLIDESTRIP_VERSION ".0\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find("<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>"),
            std::string::npos);  // Windows 7
  EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"),
            std::string::npos);  // Windows 10 and 11
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);

  // The loader's own parser must accept it: a manifest it rejects stops the
  // program from starting at all on Windows.
  ACTCTXW context = {};
  context.cbSize = sizeof(context);
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = Path.c_str();
  context.lpResourceName = MAKEINTRESOURCEW(ManifestId);
  HANDLE handle = CreateActCtxW(&context);
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  if (handle != INVALID_HANDLE_VALUE) ReleaseActCtx(handle);
}

TEST_F(ProgramResources, VersionBlockNamesTheProductAndTheBuildsVersion) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(Path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(Path.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(sscanf(GLIDESTRIP_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
  EXPECT_EQ(fixed->dwFileVersionMS, (major << 16) | minor);
  EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  // Strings are found through the first Translation entry, as Explorer does.
  struct TTranslation {
    WORD Language, CodePage;
  }* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, sizeof(TTranslation));
  wchar_t prefix[64];
  swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translation->Language, translation->CodePage);
  auto value = [&](const wchar_t* name) {
    wchar_t* text = nullptr;
    UINT chars = 0;
    std::wstring key = std::wstring(prefix) + name;
    if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &chars) || !text)
      return std::wstring(L"(missing)");
    return std::wstring(text);
  };
  EXPECT_EQ(value(L"ProductName"), L"GlideStrip Demo");
  EXPECT_EQ(value(L"ProductVersion"), L"" GLIDESTRIP_VERSION);
  EXPECT_EQ(value(L"FileVersion"), L"" GLIDESTRIP_VERSION);
  EXPECT_EQ(value(L"OriginalFilename"), L"glidestrip.exe");
}

TEST_F(ProgramResources, FourEmptySoftKeyBarTemplatesFrom20000To20003) {
  EXPECT_EQ(Names(RT_RCDATA), (std::vector<std::wstring>{L"#20000", L"#20001", L"#20002", L"#20003"}));
  for (UINT id = 20000; id <= 20003; ++id) {
    SCOPED_TRACE(testing::Message() << "template " << id);
    std::vector<BYTE> bar = Read(RT_RCDATA, id);
    // Menu identifier, then a button count of 0 and no button entries.
    ASSERT_EQ(bar.size(), 2 * sizeof(WORD));
    const WORD* words = reinterpret_cast<const WORD*>(bar.data());
    EXPECT_EQ(words[0], id);
    EXPECT_EQ(words[1], 0);
  }
}

// A release program carries none of the debug builds' assertions: neither
// their report nor the assumptions they state are in the file.
TEST(ProgramFile, ReleaseProgramCarriesNoDebugAssertions) {
#ifndef NDEBUG
  GTEST_SKIP() << "a debug build's program carries its assertions";
#else
  const std::wstring path = ProgramFilePath();
  FILE* file = path.empty() ? nullptr : _wfopen(path.c_str(), L"rb");
  ASSERT_NE(file, nullptr) << "cannot read the program file";
  std::string bytes;
  char chunk[65536];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
  std::fclose(file);
  ASSERT_GT(bytes.size(), 0u);
  for (const char* text : {"debug assertion failed", "dispatch depth below zero"})
    EXPECT_EQ(bytes.find(text), std::string::npos) << "the program carries \"" << text << "\"";
#endif
}

}  // namespace
