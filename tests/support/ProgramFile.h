// Where the built program file is, for tests that read it as data. The build
// passes its path as GLIDESTRIP_EXE; under Wine that is a Unix path, which is
// turned into the drive path Windows functions accept.
//
//   HMODULE exe = LoadLibraryExW(ProgramFilePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
#pragma once

#include <windows.h>

#include <string>

#ifndef GLIDESTRIP_EXE
#error "the build passes the program's path as GLIDESTRIP_EXE"
#endif

// The program's path for Windows functions; empty when it cannot be made.
inline std::wstring ProgramFilePath() {
  const char* path = GLIDESTRIP_EXE;
  if (path[0] != '/') {
    int chars = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
    std::wstring wide(chars > 0 ? chars - 1 : 0, L'\0');
    if (chars > 0) MultiByteToWideChar(CP_UTF8, 0, path, -1, &wide[0], chars);
    return wide;
  }
  // A Unix path: only Wine runs a program built on this side, and its kernel32
  // maps such paths (the Z: drive need not exist).
  typedef WCHAR*(CDECL * TDosName)(LPCSTR);
  FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name");
  if (!proc) return std::wstring();
  auto dosName = reinterpret_cast<TDosName>(reinterpret_cast<void (*)()>(proc));
  WCHAR* converted = dosName(path);
  if (!converted) return std::wstring();
  std::wstring result(converted);
  HeapFree(GetProcessHeap(), 0, converted);  // allocated by Wine from the process heap
  return result;
}
