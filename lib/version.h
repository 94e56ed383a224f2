// The program's name and version as it shows them (window title, help
// window, information panel).
#pragma once

#define DV_VERSION "2.50-dev"

constexpr wchar_t kProgramNameAndVersion[] = L"Dorvik/L " DV_VERSION;
