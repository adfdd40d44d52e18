// NotificationText: the texts of a completion notification, as plain functions: the placeholders
// of the body filled from one run, the desktop notification's markup escaping, and the e-mail
// handed to sendmail (plain recipient address, header fields without line breaks, RFC 2047
// subject, UTF-8 body). Nothing here talks to a bus or starts a process.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace corvane
{

class MyDocument;

namespace notificationtexts
{
inline constexpr char kEndTime[] = "<endTime>";
inline constexpr char kDocumentName[] = "<documentName>";
inline constexpr char kRunTime[] = "<runTime>";
inline constexpr char kInputFileName[] = "<inputFileName>";
inline constexpr char kNotificationName[] = "Computation Completed";
inline constexpr char kApplicationName[] = "Corvane";
// The sender's and the recipient's display name.
inline constexpr char kMailName[] = "Corvane";
inline constexpr char kStickyKey[] = "makeNotificationsSticky";
} // namespace notificationtexts

// A project's notification choices ("userNotificationInfo").
struct NotificationSettings {
    bool notifyWhenComplete = false;
    bool notifyByEmail = false;
    bool notifyByDock = false;
    QString address;
    QString header;
    QString body;

    static NotificationSettings fromDocument(const MyDocument &document);
    bool any() const { return notifyWhenComplete || notifyByEmail || notifyByDock; }
};

// What the placeholders are filled from: one run that has ended.
struct RunCompletionFacts {
    QDateTime startTime;
    double elapsedCPUTime = 0; // in the window's unit
    double timeUnitsScale = 1; // 1 seconds, 1/60 minutes, 1/3600 hours
    QString documentName;      // the window's title without its extension
    QString inputFileName;     // full path or empty
};

// " %6.3f %@" in the locale's digits: the elapsed time right-aligned in six characters with
// three decimals, then its unit: "s" for a scale of exactly 1, "m" above 0.01, else "h".
// 90 s shown in minutes (1.5, scale 1/60) -> "  1.500 m".
QString runTimeText(double elapsed, double timeUnitsScale, const QLocale &locale);
// The end of the run (start + elapsed seconds) in the locale's long date and short time.
QString endTimeText(const RunCompletionFacts &facts, const QLocale &locale);
// The body with "<endTime>", "<documentName>", "<runTime>" and "<inputFileName>" each replaced
// at its first occurrence in the body as written; a second occurrence, and text that a value
// brings in, stay as they are.
QString fillPlaceholders(const QString &body, const RunCompletionFacts &facts,
                         const QLocale &locale = QLocale());

// The freedesktop body markup taken literally: "&", "<" and ">" as entities.
QString escapeNotificationMarkup(const QString &text);

// A header field's value on one line: every run of line breaks (CR, LF, VT, FF, NEL, U+2028,
// U+2029) becomes one blank, and blanks at both ends go.
QString headerFieldText(const QString &text);
// One plain address "local@domain": one "@", something on each side, a domain of dot-separated
// labels, and no blanks, control characters, commas, angle brackets, quotes, parentheses,
// brackets, colons, semicolons or backslashes.
bool isPlainAddress(const QString &address);
// The address as it is checked and used: line breaks removed, blanks at the ends trimmed.
QString cleanAddress(const QString &address);
// A header value as sent: printable ASCII as it is; anything else as RFC 2047 encoded words
// ("=?UTF-8?B?...?="), each at most 75 characters, folded onto continuation lines, never
// splitting a character.
QByteArray encodeHeaderValue(const QString &text);

// The message for `sendmail -t -i`: From and To with the display name "Corvane", the subject,
// MIME headers for a UTF-8 plain-text body sent as 8bit, a blank line, then the body with LF line
// ends and a final line end. The caller checks the address first (isPlainAddress); fromAddress
// may be empty, and sendmail then names the sender itself.
QByteArray composeEmailMessage(const QString &address, const QString &subject, const QString &body,
                               const QString &fromAddress);
// The local user's address for the From line ("login@host"); empty when it would not be a plain
// address.
QString localSenderAddress();

} // namespace corvane
