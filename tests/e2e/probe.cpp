// The end-to-end test's eyes on the platform: run under the same Wine prefix
// and desktop as the program, it prints what the window manager knows, one
// window a line, tab-separated, in UTF-8:
//
//   probe tree      depth  handle  class  text  left top right bottom  style  class-style
//   probe windows PID  the same for every window of process PID, hidden ones
//                   too, then its thread's active, focus and capture windows
//   probe screen    screen WIDTH HEIGHT / workarea LEFT TOP RIGHT BOTTOM
//   probe wheel     wheel ROWS (the rows a wheel notch scrolls; "page" for a page)
//   probe run EXE   started PID, then exit CODE when EXE has ended
//   probe display WIDTH HEIGHT
//                   display RESULT: ChangeDisplaySettingsExW's answer (0 when
//                   the screen took the new size), as a turned device would
//
// Texts are read with WM_GETTEXT, as a person reading the window would see them.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

void Write(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size,
                      nullptr, nullptr);
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

std::wstring Hex(ULONG_PTR value) {
  wchar_t buffer[24];
  wsprintfW(buffer, L"0x%08lX", static_cast<unsigned long>(value));
  return buffer;
}

std::wstring Num(long value) {
  wchar_t buffer[16];
  wsprintfW(buffer, L"%ld", value);
  return buffer;
}

// The window's text as its own window procedure answers it; a hung program
// gives up after two seconds instead of hanging the test.
std::wstring TextOf(HWND window) {
  wchar_t buffer[512] = L"";
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, 2000, &copied))
    buffer[0] = 0;
  std::wstring text(buffer);
  // Tabs and line breaks would break the line format.
  for (wchar_t& c : text)
    if (c == L'\t' || c == L'\n' || c == L'\r') c = L' ';
  return text;
}

void PrintWindow(HWND window, int depth) {
  wchar_t className[128] = L"";
  GetClassNameW(window, className, 128);
  RECT rect = {};
  GetWindowRect(window, &rect);
  Write(Num(depth) + L"\t" + Hex(reinterpret_cast<ULONG_PTR>(window)) + L"\t" + className + L"\t" +
        TextOf(window) + L"\t" + Num(rect.left) + L" " + Num(rect.top) + L" " + Num(rect.right) +
        L" " + Num(rect.bottom) + L"\t" + Hex(GetWindowLongW(window, GWL_STYLE)) + L"\t" +
        Hex(GetClassLongPtrW(window, GCL_STYLE)) + L"\n");
}

void PrintTree(HWND window, int depth, bool hiddenToo) {
  PrintWindow(window, depth);
  // Children in z-order, topmost first, as GetWindow walks them.
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    if (hiddenToo || IsWindowVisible(child)) PrintTree(child, depth + 1, hiddenToo);
}

BOOL CALLBACK TopLevel(HWND window, LPARAM) {
  if (IsWindowVisible(window)) PrintTree(window, 0, false);
  return TRUE;
}

// Every window of one process, for a failed check: what it has open, hidden
// or disabled, and which window its thread gives the focus and the capture.
struct TProcessWindows {
  DWORD Pid;
  DWORD Thread = 0;
};

BOOL CALLBACK ProcessTopLevel(HWND window, LPARAM data) {
  TProcessWindows* process = reinterpret_cast<TProcessWindows*>(data);
  DWORD pid = 0;
  DWORD thread = GetWindowThreadProcessId(window, &pid);
  if (pid != process->Pid) return TRUE;
  process->Thread = thread;
  PrintTree(window, 0, true);
  return TRUE;
}

void PrintProcessWindows(DWORD pid) {
  TProcessWindows process = {pid};
  EnumWindows(ProcessTopLevel, reinterpret_cast<LPARAM>(&process));
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (process.Thread == 0 || !GetGUIThreadInfo(process.Thread, &info)) return;
  Write(L"active\t" + Hex(reinterpret_cast<ULONG_PTR>(info.hwndActive)) + L"\n");
  Write(L"focus\t" + Hex(reinterpret_cast<ULONG_PTR>(info.hwndFocus)) + L"\n");
  Write(L"capture\t" + Hex(reinterpret_cast<ULONG_PTR>(info.hwndCapture)) + L"\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"tree") {
    EnumWindows(TopLevel, 0);
    return 0;
  }
  if (command == L"windows" && argc > 2) {
    PrintProcessWindows(wcstoul(argv[2], nullptr, 0));
    return 0;
  }
  if (command == L"screen") {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    Write(L"screen\t" + Num(GetSystemMetrics(SM_CXSCREEN)) + L" " +
          Num(GetSystemMetrics(SM_CYSCREEN)) + L"\n");
    Write(L"workarea\t" + Num(work.left) + L" " + Num(work.top) + L" " + Num(work.right) + L" " +
          Num(work.bottom) + L"\n");
    return 0;
  }
  if (command == L"wheel") {
    UINT rows = 0;
    if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &rows, 0)) rows = 3;
    Write(L"wheel\t" + (rows == WHEEL_PAGESCROLL ? std::wstring(L"page") : Num(rows)) + L"\n");
    return 0;
  }
  if (command == L"run" && argc > 2) {
    // Started from here, the program's exit code can be told from a crash.
    std::wstring line = L"\"" + std::wstring(argv[2]) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
      Write(L"failed\t" + Num(static_cast<long>(GetLastError())) + L"\n");
      return 1;
    }
    Write(L"started\t" + Num(static_cast<long>(process.dwProcessId)) + L"\n");
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    Write(L"exit\t" + Hex(code) + L"\n");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
  }
  if (command == L"display" && argc > 3) {
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = wcstoul(argv[2], nullptr, 0);
    mode.dmPelsHeight = wcstoul(argv[3], nullptr, 0);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    // For this session only: the prefix's saved mode stays the device's.
    LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
    Write(L"display\t" + Num(result) + L"\n");
    return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
  }
  Write(L"usage: probe tree | probe windows PID | probe screen | probe wheel | probe run EXE |"
        L" probe display WIDTH HEIGHT\n");
  return 2;
}
