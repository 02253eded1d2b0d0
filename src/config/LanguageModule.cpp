#include "config/LanguageModule.h"

#include <QFile>
#include <QtEndian>

namespace {

// The .qm layout as lrelease writes it: a 16-byte magic number, then sections of one tag byte and a
// 32-bit big-endian length. The messages section holds records of tagged fields, each record ending
// with tag 1; the context of a message is field 7 (lrelease keeps contexts unless told to strip).
constexpr int magicLength = 16;
constexpr quint8 sectionMessages = 0x69;
enum MessageTag : quint8 {
    tagEnd = 1,
    tagSourceText16 = 2,
    tagTranslation = 3,
    tagContext16 = 4,
    tagObsolete1 = 5,
    tagSourceText = 6,
    tagContext = 7,
    tagComment = 8,
    tagObsolete2 = 9,
};

quint32 readLength(const char *at)
{
    return qFromBigEndian<quint32>(at);
}

// The names of the contexts in the messages section; stops quietly at anything it does not know, which
// leaves the contexts read so far.
QSet<QByteArray> contextsOfMessages(QByteArrayView messages)
{
    QSet<QByteArray> contexts;
    qsizetype at = 0;
    while (at < messages.size()) {
        const quint8 tag = quint8(messages[at++]);
        switch (tag) {
        case tagEnd:
            break;
        case tagObsolete1:
        case tagObsolete2:
            at += 4;
            break;
        case tagSourceText16:
        case tagTranslation:
        case tagContext16:
        case tagSourceText:
        case tagContext:
        case tagComment: {
            if (at + 4 > messages.size())
                return contexts;
            quint32 length = readLength(messages.data() + at);
            at += 4;
            if (length == 0xFFFFFFFFu) // a null translation
                length = 0;
            if (at + qsizetype(length) > messages.size())
                return contexts;
            if (tag == tagContext)
                contexts.insert(messages.sliced(at, length).toByteArray());
            at += length;
            break;
        }
        default:
            return contexts;
        }
    }
    return contexts;
}

QSet<QByteArray> contextsOfModule(const QByteArray &data)
{
    qsizetype at = magicLength;
    while (at + 5 <= data.size()) {
        const quint8 section = quint8(data[at]);
        const quint32 length = readLength(data.constData() + at + 1);
        at += 5;
        if (at + qsizetype(length) > data.size())
            break;
        if (section == sectionMessages)
            return contextsOfMessages(QByteArrayView(data).sliced(at, length));
        at += length;
    }
    return {};
}

} // namespace

std::unique_ptr<LanguageModule> LanguageModule::open(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    auto module = std::make_unique<LanguageModule>(OpenKey{});
    module->m_fileName = fileName;
    module->m_data = file.readAll();
    // Loaded from memory, so that exactly this file is read: QTranslator::load(fileName) would also try
    // other names (with ".qm" added, and cut at "." and "_").
    if (!module->m_translator.load(reinterpret_cast<const uchar *>(module->m_data.constData()),
                                   int(module->m_data.size())))
        return nullptr;
    module->m_contexts = contextsOfModule(module->m_data);
    return module;
}
