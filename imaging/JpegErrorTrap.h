#pragma once

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

// libjpeg ends the process on an error unless error_exit leaves by longjmp;
// the trap sends it back to the caller's setjmp(trap.jump) instead. Warnings
// (a file cut short, corrupt entropy data) are only counted in
// base.num_warnings, so the caller can refuse damaged data once decoding ends.
struct JpegErrorTrap
{
    jpeg_error_mgr base;
    std::jmp_buf jump;

    // For the codec's err field.
    jpeg_error_mgr* install()
    {
        jpeg_std_error(&base);
        base.error_exit = [](j_common_ptr info) {
            std::longjmp(reinterpret_cast<JpegErrorTrap*>(info->err)->jump, 1);
        };
        base.emit_message = [](j_common_ptr info, int level) {
            if (level < 0)
                ++info->err->num_warnings;
        };
        return &base;
    }
};
