// TokenList: the tokens of one statement, as FTTokenizer cuts them, as views into the statement.
// A statement of ordinary length keeps a list of views (16 bytes a token). A long one (kLongFrom
// characters or more) keeps two bits a character instead, where tokens start and where they end,
// and a token count every 64 characters: a 50 MB statement of short tokens then holds some 20 MB
// of token data instead of a gigabyte of views. Tokens are found again from the bits; reading
// them in order, or the same token again, costs a few steps.
//
// The views stay valid as long as the statement's characters do. A compact list remembers the
// token it found last, so one list is read from one thread at a time.
#pragma once

#include <QList>
#include <QStringView>

#include <vector>

namespace corvane
{

class TokenList
{
public:
    // Statements of at least this many characters are held in the compact form.
    static constexpr qsizetype kLongFrom = qsizetype(1) << 16;

    TokenList() = default;
    // A list of the given tokens (the list form, whatever their number).
    TokenList(QList<QStringView> views) : m_views(std::move(views)) {}
    template <typename It> TokenList(It first, It last)
    {
        for (; first != last; ++first)
            m_views.append(QStringView(*first));
    }

    // Replaces the tokens with those of statement.
    void tokenize(QStringView statement);
    void clear();

    qsizetype size() const { return m_compact ? m_count : m_views.size(); }
    bool isEmpty() const { return size() == 0; }
    QStringView operator[](qsizetype i) const { return m_compact ? compactAt(i) : m_views.at(i); }
    // The token at i, or an empty view past either end.
    QStringView value(qsizetype i) const
    {
        return i >= 0 && i < size() ? (*this)[i] : QStringView();
    }
    bool isCompact() const { return m_compact; }

private:
    QStringView compactAt(qsizetype i) const;

    QList<QStringView> m_views;
    bool m_compact = false;
    // The compact form: bit c of m_starts (of m_lasts) is set when a token starts (ends) with
    // character c; m_before[w] counts the tokens that start before character 64 * w, with the
    // whole count as its last entry.
    const QChar *m_text = nullptr;
    qsizetype m_count = 0;
    std::vector<quint64> m_starts, m_lasts;
    std::vector<qsizetype> m_before;
    mutable qsizetype m_word = 0; // where the last token was found
    mutable qsizetype m_lastIndex = -1;
    mutable QStringView m_last;
};

} // namespace corvane
