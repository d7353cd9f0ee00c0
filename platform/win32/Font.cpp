#include "platform/win32/Font.h"

namespace ql::win32 {

UniqueFont MakeFont(int height, int weight, bool underline, const char* face) {
    return UniqueFont(::CreateFontA(height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                    VARIABLE_PITCH | FF_SWISS, face));
}

}  // namespace ql::win32
