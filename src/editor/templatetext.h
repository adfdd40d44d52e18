// Template text: the code templates of "TemplateStrings" as they go into the editor. A template
// holds insert markers "!^" where the user fills in; on an indented line every further line of
// the template takes the line's indentation.
#pragma once

#include <QString>
#include <QStringView>
#include <QVariantMap>

namespace corvane
{

// Indents template text for a line indented by indent (its leading blanks and tabs): the first
// line stays (trimmed when it is a comment line), every further line gets indent in front
// (comment lines other than "!^" markers stay at the margin) and one blank after; a final empty
// line is dropped, so the result has no final line feed.
//   "DO !^ \n   !^\nEND DO\n!^", "  "  ->  "DO !^ \n     !^ \n  END DO \n  !^ "
QString indentTemplate(const QString &templateText, const QString &indent);

// The leading blanks and tabs of line.
QString leadingWhitespace(QStringView line);

// The text a template named name inserts at the start of lineText's caret line: indented when
// the line begins with a blank or tab, else the template unchanged. Null when templates has no
// such name (or it is not text).
QString templateTextForLine(const QVariantMap &templates, const QString &name,
                            QStringView lineText);

} // namespace corvane
