// What the host's PNG reader and writer share about libpng: its errors end
// in a long jump, so every libpng call runs inside PngGuarded, and the
// message is kept for the caller.
#pragma once

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>

struct pfPngErrorText {
    char text[200] = "";
};

// libpng's error function: keeps the message, then leaves through the jump
// buffer set by PngGuarded.
inline void PNGCBAPI PngErrorHandler(png_structp pPng, png_const_charp pMessage)
{
    if (auto* pText = static_cast<pfPngErrorText*>(png_get_error_ptr(pPng))) {
        std::strncpy(pText->text, pMessage ? pMessage : "unknown error", sizeof pText->text - 1);
        pText->text[sizeof pText->text - 1] = '\0';
    }
    png_longjmp(pPng, 1);
}

// Warnings concern chunks libpng already set aside; the pixels are sound.
inline void PNGCBAPI PngWarningHandler(png_structp, png_const_charp) {}

// Runs libpng calls; false when libpng reported an error. The calls must
// create nothing that needs destroying: a long jump skips destructors.
template <typename Calls> bool PngGuarded(png_structp pPng, Calls&& calls)
{
    if (setjmp(png_jmpbuf(pPng)))
        return false;
    calls();
    return true;
}

// PNG stores 16-bit samples big-endian; the host keeps them in machine order.
inline bool IsLittleEndian()
{
    const uint16_t nProbe = 1;
    uint8_t nFirst = 0;
    std::memcpy(&nFirst, &nProbe, 1);
    return nFirst == 1;
}
