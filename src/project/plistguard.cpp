#include "plistguard.h"

#include <QList>

namespace corvane
{

namespace
{

quint64 readBigEndian(const uchar *p, int size)
{
    quint64 v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | p[i];
    return v;
}

std::optional<QString> xmlProblem(const QByteArray &bytes)
{
    int depth = 0;
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while ((i = bytes.indexOf('<', i)) >= 0) {
        if (bytes.mid(i, 4) == "<!--") {
            const qsizetype end = bytes.indexOf("-->", i + 4);
            if (end < 0)
                break;
            i = end + 3;
            continue;
        }
        if (bytes.mid(i, 9) == "<![CDATA[") {
            const qsizetype end = bytes.indexOf("]]>", i + 9);
            if (end < 0)
                break;
            i = end + 3;
            continue;
        }
        const qsizetype close = bytes.indexOf('>', i);
        if (close < 0)
            break;
        const QByteArray tag = bytes.mid(i + 1, close - i - 1);
        const bool selfClosing = tag.endsWith('/');
        if ((tag.startsWith("array") || tag.startsWith("dict")) && !selfClosing) {
            if (++depth > kMaxPlistNesting)
                return QString("the property list is nested too deeply");
        } else if (tag.startsWith("/array") || tag.startsWith("/dict")) {
            --depth;
        }
        i = close + 1;
        if (i >= n)
            break;
    }
    return std::nullopt;
}

struct BinaryPlist {
    const uchar *data;
    quint64 size;
    int offsetSize, refSize;
    quint64 count, top, tableOffset;
};

// The references an object holds (arrays, sets, dictionaries), or false when the object runs
// past the end of the data.
bool childrenOf(const BinaryPlist &p, quint64 object, QList<quint64> &children)
{
    children.clear();
    const quint64 offset =
        readBigEndian(p.data + p.tableOffset + object * quint64(p.offsetSize), p.offsetSize);
    if (offset < 8 || offset >= p.tableOffset)
        return false;
    const uchar marker = p.data[offset];
    const int type = marker >> 4;
    if (type != 0xA && type != 0xB && type != 0xC && type != 0xD)
        return true;
    quint64 n = marker & 0x0F;
    quint64 pos = offset + 1;
    if (n == 0x0F) {
        if (pos >= p.tableOffset || (p.data[pos] >> 4) != 0x1)
            return false;
        const int width = 1 << (p.data[pos] & 0x0F);
        if (width > 8 || pos + 1 + quint64(width) > p.tableOffset)
            return false;
        n = readBigEndian(p.data + pos + 1, width);
        pos += 1 + quint64(width);
    }
    const quint64 refs = type == 0xD ? n * 2 : n;
    if (n > p.size || pos + refs * quint64(p.refSize) > p.tableOffset)
        return false;
    children.reserve(qsizetype(refs));
    for (quint64 k = 0; k < refs; ++k) {
        const quint64 ref = readBigEndian(p.data + pos + k * quint64(p.refSize), p.refSize);
        if (ref >= p.count)
            return false;
        children << ref;
    }
    return true;
}

std::optional<QString> binaryProblem(const QByteArray &bytes)
{
    const QString damaged = "damaged binary property list: ";
    if (bytes.size() < 8 + 32)
        return damaged + "too short";
    BinaryPlist p;
    p.data = reinterpret_cast<const uchar *>(bytes.constData());
    p.size = quint64(bytes.size());
    const uchar *trailer = p.data + p.size - 32;
    p.offsetSize = trailer[6];
    p.refSize = trailer[7];
    p.count = readBigEndian(trailer + 8, 8);
    p.top = readBigEndian(trailer + 16, 8);
    p.tableOffset = readBigEndian(trailer + 24, 8);
    if (p.offsetSize < 1 || p.offsetSize > 8 || p.refSize < 1 || p.refSize > 8)
        return damaged + "bad trailer";
    if (p.count == 0 || p.count > p.size || p.top >= p.count || p.tableOffset < 8 ||
        p.tableOffset >= p.size - 32 ||
        p.count * quint64(p.offsetSize) > p.size - 32 - p.tableOffset)
        return damaged + "bad object table";

    // Depth-first walk from the top object with an explicit stack; each object is finished once
    // (0 unseen, 1 on the current path, 2 done) so shared objects cost nothing twice.
    QList<quint8> state(qsizetype(p.count), 0);
    QList<int> depthBelow(qsizetype(p.count), 0);
    struct Frame {
        quint64 object;
        QList<quint64> children;
        qsizetype next;
    };
    QList<Frame> stack;
    QList<quint64> children;
    if (!childrenOf(p, p.top, children))
        return damaged + "object out of bounds";
    stack.append({p.top, children, 0});
    state[qsizetype(p.top)] = 1;
    while (!stack.isEmpty()) {
        Frame &f = stack.last();
        if (f.next == f.children.size()) {
            int deepest = 0;
            for (quint64 c : f.children)
                deepest = qMax(deepest, depthBelow[qsizetype(c)]);
            depthBelow[qsizetype(f.object)] = deepest + (f.children.isEmpty() ? 0 : 1);
            state[qsizetype(f.object)] = 2;
            stack.removeLast();
            continue;
        }
        const quint64 c = f.children[f.next++];
        if (state[qsizetype(c)] == 1)
            return damaged + "an object contains itself";
        if (state[qsizetype(c)] == 2)
            continue;
        if (stack.size() >= kMaxPlistNesting)
            return QString("the property list is nested too deeply");
        if (!childrenOf(p, c, children))
            return damaged + "object out of bounds";
        state[qsizetype(c)] = 1;
        stack.append({c, children, 0});
    }
    if (depthBelow[qsizetype(p.top)] > kMaxPlistNesting)
        return QString("the property list is nested too deeply");
    return std::nullopt;
}

} // namespace

std::optional<QString> plistSafetyProblem(const QByteArray &bytes)
{
    if (bytes.startsWith("bplist00"))
        return binaryProblem(bytes);
    return xmlProblem(bytes);
}

} // namespace corvane
