#include "consoleinput.h"

#include "interactiveconsolecontroller.h"

namespace corvane
{

QByteArray ConsoleInput::insertNewline(const QString &consoleText, qsizetype caret)
{
    if (!m_runner || !m_runner->isRunningExecutable() || !m_runner->acceptTypedInput())
        return {};
    const qsizetype mark = std::clamp<qsizetype>(m_markedCursorLocation, 0, consoleText.size());
    qsizetype end = std::clamp<qsizetype>(caret, 0, consoleText.size());
    if (end < mark)
        end = consoleText.size();
    const QByteArray bytes = consoleText.mid(mark, end - mark).toUtf8();
    m_runner->sendDataToExecutable(bytes);
    return bytes;
}

} // namespace corvane
