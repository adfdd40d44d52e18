#include "textposition.h"

namespace corvane
{

std::optional<qsizetype> offsetForPosition(QStringView text, TextPosition position)
{
    if (position.line < 1 || position.column < 1)
        return std::nullopt;
    qsizetype start = 0;
    for (qsizetype line = 1; line < position.line; ++line) {
        const qsizetype feed = text.indexOf(u'\n', start);
        if (feed < 0)
            return std::nullopt;
        start = feed + 1;
    }
    qsizetype offset = start;
    for (qsizetype column = 1; column < position.column; ++column) {
        if (offset >= text.size() || text[offset] == u'\n')
            break;
        const bool pair = text[offset].isHighSurrogate() && offset + 1 < text.size() &&
                          text[offset + 1].isLowSurrogate();
        offset += pair ? 2 : 1;
    }
    return offset;
}

TextPosition positionForOffset(QStringView text, qsizetype offset)
{
    offset = qBound(qsizetype(0), offset, text.size());
    TextPosition position;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < offset; ++i) {
        if (text[i] == u'\n') {
            ++position.line;
            lineStart = i + 1;
        }
    }
    for (qsizetype i = lineStart; i < offset; ++i) {
        if (text[i].isLowSurrogate() && i > lineStart && text[i - 1].isHighSurrogate())
            continue;
        ++position.column;
    }
    return position;
}

} // namespace corvane
