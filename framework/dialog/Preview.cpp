#include "Preview.h"

#if !defined(_WIN32)
std::unique_ptr<pfPreview> CreatePreviewDialog()
{
    return std::make_unique<pfPreviewAccept>();
}
#endif
