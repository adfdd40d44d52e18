#include "build/notificationtext.h"

#include "project/mydocument.h"

#include <QFileInfo>
#include <QSysInfo>
#include <QList>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace corvane
{

namespace
{

bool isLineBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == '\r' || u == '\n' || u == 0x0B || u == 0x0C || u == 0x85 || u == 0x2028 ||
           u == 0x2029;
}

// Characters that make an address more than one plain address, or that a mail header would
// read as syntax.
bool isAddressSpecial(QChar c)
{
    static const QString specials = QStringLiteral("()<>[]:;,\\\"");
    return c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
           isLineBreak(c) || specials.contains(c);
}

// Encoded words carry at most 45 bytes of UTF-8 each: 60 base64 characters, 75 in all.
constexpr qsizetype kEncodedWordBytes = 45;

} // namespace

NotificationSettings NotificationSettings::fromDocument(const MyDocument &d)
{
    NotificationSettings s;
    s.notifyWhenComplete = d.notifyWhenComplete();
    s.notifyByEmail = d.notifyByEmail();
    s.notifyByDock = d.notifyByDock();
    s.address = d.notificationEmailAddress();
    s.header = d.notificationHeader();
    s.body = d.notificationBody();
    return s;
}

QString runTimeText(double elapsed, double timeUnitsScale, const QLocale &locale)
{
    QLocale numbers = locale;
    numbers.setNumberOptions(QLocale::OmitGroupSeparator); // as printf: digits, point, digits
    const QString value = numbers.toString(elapsed, 'f', 3);
    const char *unit = timeUnitsScale == 1 ? "s" : timeUnitsScale > 0.01 ? "m" : "h";
    return QLatin1Char(' ') + value.rightJustified(6, QLatin1Char(' ')) + QLatin1Char(' ') +
           QLatin1String(unit);
}

QString endTimeText(const RunCompletionFacts &facts, const QLocale &locale)
{
    const double seconds = facts.timeUnitsScale != 0 ? facts.elapsedCPUTime / facts.timeUnitsScale
                                                     : 0;
    const QDateTime end = facts.startTime.addMSecs(qint64(seconds * 1000.0 + 0.5));
    return locale.toString(end.date(), QLocale::LongFormat) + QLatin1Char(' ') +
           locale.toString(end.time(), QLocale::ShortFormat);
}

QString fillPlaceholders(const QString &body, const RunCompletionFacts &facts,
                         const QLocale &locale)
{
    struct Fill {
        qsizetype at;
        qsizetype length;
        QString value;
    };
    QList<Fill> fills;
    const auto find = [&](const char *placeholder, auto value) {
        const QLatin1String p(placeholder);
        const qsizetype at = body.indexOf(p);
        if (at >= 0)
            fills.append({at, p.size(), value()});
    };
    find(notificationtexts::kEndTime, [&] { return endTimeText(facts, locale); });
    find(notificationtexts::kDocumentName, [&] { return facts.documentName; });
    find(notificationtexts::kRunTime,
         [&] { return runTimeText(facts.elapsedCPUTime, facts.timeUnitsScale, locale); });
    find(notificationtexts::kInputFileName,
         [&] { return QFileInfo(facts.inputFileName).fileName(); });
    // Placeholders cannot overlap (each starts with '<' and holds no other '<'), so the body is
    // rebuilt once from the positions found in the text as written.
    std::sort(fills.begin(), fills.end(), [](const Fill &a, const Fill &b) { return a.at < b.at; });
    QString out;
    qsizetype from = 0;
    for (const Fill &f : fills) {
        out += QStringView(body).mid(from, f.at - from);
        out += f.value;
        from = f.at + f.length;
    }
    out += QStringView(body).mid(from);
    return out;
}

QString escapeNotificationMarkup(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('&'))
            out += QLatin1String("&amp;");
        else if (c == QLatin1Char('<'))
            out += QLatin1String("&lt;");
        else if (c == QLatin1Char('>'))
            out += QLatin1String("&gt;");
        else
            out += c;
    }
    return out;
}

QString headerFieldText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool inBreak = false;
    for (const QChar c : text) {
        if (isLineBreak(c)) {
            if (!inBreak)
                out += QLatin1Char(' ');
            inBreak = true;
        } else {
            out += c;
            inBreak = false;
        }
    }
    return out.trimmed();
}

QString cleanAddress(const QString &address)
{
    QString out;
    for (const QChar c : address)
        if (!isLineBreak(c))
            out += c;
    return out.trimmed();
}

bool isPlainAddress(const QString &address)
{
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at <= 0 || at != address.lastIndexOf(QLatin1Char('@')) || at == address.size() - 1)
        return false;
    if (std::any_of(address.begin(), address.end(), isAddressSpecial))
        return false;
    const QStringView local = QStringView(address).left(at);
    const QStringView domain = QStringView(address).mid(at + 1);
    if (local.startsWith(u'.') || local.endsWith(u'.') || local.contains(u".."))
        return false;
    for (const QStringView label : domain.split(u'.'))
        if (label.isEmpty() || label.startsWith(u'-') || label.endsWith(u'-'))
            return false;
    return true;
}

QByteArray encodeHeaderValue(const QString &text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7F;
    });
    // Printable ASCII that does not look like an encoded word goes as it is.
    if (plain && !text.contains(QLatin1String("=?")))
        return text.toLatin1();
    QList<QByteArray> words;
    QByteArray piece;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype n = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            n = 2;
        const QByteArray bytes = text.mid(i, n).toUtf8();
        if (piece.size() + bytes.size() > kEncodedWordBytes) {
            words << piece;
            piece.clear();
        }
        piece += bytes;
        i += n - 1;
    }
    if (!piece.isEmpty())
        words << piece;
    QByteArray out;
    for (const QByteArray &w : std::as_const(words)) {
        if (!out.isEmpty())
            out += "\n "; // folded: the blank between encoded words is not part of the text
        out += "=?UTF-8?B?" + w.toBase64() + "?=";
    }
    return out;
}

QByteArray composeEmailMessage(const QString &address, const QString &subject, const QString &body,
                               const QString &fromAddress)
{
    const QByteArray name = notificationtexts::kMailName;
    QByteArray m;
    const QString from = cleanAddress(fromAddress);
    if (isPlainAddress(from))
        m += "From: " + name + " <" + from.toUtf8() + ">\n";
    m += "To: " + name + " <" + cleanAddress(address).toUtf8() + ">\n";
    m += "Subject: " + encodeHeaderValue(headerFieldText(subject)) + "\n";
    m += "MIME-Version: 1.0\n";
    m += "Content-Type: text/plain; charset=UTF-8\n";
    m += "Content-Transfer-Encoding: 8bit\n";
    m += "\n";
    QString text = body;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m += text.toUtf8();
    if (!text.endsWith(QLatin1Char('\n')))
        m += "\n";
    return m;
}

QString localSenderAddress()
{
    QString login;
    if (const passwd *pw = ::getpwuid(::getuid()))
        login = QString::fromLocal8Bit(pw->pw_name);
    if (login.isEmpty())
        login = qEnvironmentVariable("USER");
    const QString address = login + QLatin1Char('@') + QSysInfo::machineHostName();
    return isPlainAddress(address) ? address : QString();
}

} // namespace corvane
