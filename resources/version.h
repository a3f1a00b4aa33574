// The plug-in's version and maker, for the property list, the version
// resource Windows shows in a file's details, and the release package's name
// (scripts/package reads CORVANE_VERSION_TEXT from here). The property list
// states the version as major 1, minor 3; people read it as "1.03". Plain
// defines because the resource compiler reads this file too.
#pragma once

#define CORVANE_VERSION_MAJOR 1
#define CORVANE_VERSION_MINOR 3
#define CORVANE_VERSION_PIPL 0x00010003L
#define CORVANE_VERSION_TEXT "1.03"
#define CORVANE_MAKER "Veskary"
#define CORVANE_COPYRIGHT "Copyright (C) 2026 Veskary"

// Explorer shows the description, so an artist can tell the builds apart.
#if defined(CORVANE_X64)
#define CORVANE_FILE_DESCRIPTION "Corvane II filter plug-in for 64-bit x86 hosts"
#elif defined(CORVANE_ARM64)
#define CORVANE_FILE_DESCRIPTION "Corvane II filter plug-in for ARM64 hosts"
#elif defined(CORVANE_X86)
#define CORVANE_FILE_DESCRIPTION "Corvane II filter plug-in for 32-bit x86 hosts"
#else
#error "the build's architecture define is missing"
#endif
