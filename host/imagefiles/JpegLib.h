// What the host's JPEG reader and writer share about libjpeg: its errors
// end in a long jump, so every libjpeg call runs inside JpegGuarded, and the
// message is kept for the caller.
#pragma once

#include <cstddef>
#include <cstdio>
// libjpeg's header needs FILE and size_t declared first.
#include <jpeglib.h>

#include <csetjmp>
#include <string>

struct pfJpegErrors {
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    char text[JMSG_LENGTH_MAX] = "";
};

inline void JpegErrorExit(j_common_ptr pInfo)
{
    auto* pErrors = reinterpret_cast<pfJpegErrors*>(pInfo->err);
    pInfo->err->format_message(pInfo, pErrors->text);
    std::longjmp(pErrors->jump, 1);
}

// A warning means damaged data that libjpeg would paper over: it ends the
// work as an error does.
inline void JpegEmitMessage(j_common_ptr pInfo, int nLevel)
{
    if (nLevel < 0)
        JpegErrorExit(pInfo);
}

inline jpeg_error_mgr* InstallJpegErrors(pfJpegErrors& errors)
{
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegErrorExit;
    errors.manager.emit_message = JpegEmitMessage;
    return &errors.manager;
}

// Runs libjpeg calls; false when libjpeg reported an error. The calls must
// create nothing that needs destroying: a long jump skips destructors.
template <typename Calls> bool JpegGuarded(pfJpegErrors& errors, Calls&& calls)
{
    if (setjmp(errors.jump))
        return false;
    calls();
    return true;
}

// The marker that starts EXIF data in APP1, and the one that starts XMP.
constexpr unsigned char kExifMarkerId[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr char kXmpMarkerId[] = "http://ns.adobe.com/xap/1.0/"; // with its terminating zero
// The payload of one marker segment at most.
constexpr std::size_t kMaxMarkerBytes = 65533;
