// Identifiers of the resources in the program file, shared by the resource
// script and the code that reads the resources back. Plain #defines only: the
// resource compiler reads this file too.
//
//   HRSRC bar = FindResourceW(module, MAKEINTRESOURCEW(IDR_MENUBAR_0), RT_RCDATA);
#pragma once

// The shell and Explorer show the icon group with the lowest identifier.
#define IDI_GLIDESTRIP 1

// Soft-key menu-bar templates for the device's shell. The program never loads
// them: it creates its bar empty (SHCMBF_EMPTYBAR, no template identifier).
#define IDR_MENUBAR_0 20000
#define IDR_MENUBAR_1 20001
#define IDR_MENUBAR_2 20002
#define IDR_MENUBAR_3 20003
