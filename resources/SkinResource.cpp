// Embeds SkinBitmap.bmp in the object file with the assembler's .incbin, so
// every build carries the sheet without a generated source. The asm labels
// give the symbols their exact names on every target (no leading underscore
// games on i686 Windows).
#include "resources/SkinResource.h"

#ifndef HOK_SKIN_PATH
#error "HOK_SKIN_PATH must name the sprite sheet file"
#endif

// COFF assemblers know no .pushsection; the bytes go into the read-only data
// section and the code section is selected again afterwards.
#if defined(_WIN32)
#define HOK_SKIN_ENTER ".section .rdata,\"dr\"\n"
#define HOK_SKIN_LEAVE ".text\n"
#else
#define HOK_SKIN_ENTER ".pushsection .rodata\n"
#define HOK_SKIN_LEAVE ".popsection\n"
#endif

__asm__(HOK_SKIN_ENTER
        ".balign 16\n"
        "hok_skin_bytes_begin:\n"
        ".incbin \"" HOK_SKIN_PATH "\"\n"
        "hok_skin_bytes_end:\n"
        ".byte 0\n"
        HOK_SKIN_LEAVE);

extern "C" const unsigned char hokSkinBytesBegin[] __asm__("hok_skin_bytes_begin");
extern "C" const unsigned char hokSkinBytesEnd[] __asm__("hok_skin_bytes_end");

const unsigned char* skinResourceBytes() { return hokSkinBytesBegin; }

std::size_t skinResourceSize() { return static_cast<std::size_t>(hokSkinBytesEnd - hokSkinBytesBegin); }
