#pragma once

#include <QByteArrayView>
#include <QString>

namespace loqa {

// One character of UTF-8 text: how many bytes it takes, and how many UTF-16
// units and what code it reads as. A byte that does not begin a valid sequence
// reads as U+FFFD on its own.
struct Utf8Char {
    char32_t code = 0;
    int bytes = 1;
    int units = 1;
};
Utf8Char Utf8CharAt(QByteArrayView utf8, qsizetype at);

// The UTF-16 text the positions of a TextOffsetMap count in: each character of
// `utf8` read as Utf8CharAt reads it.
QString Utf8ToText(QByteArrayView utf8);

// Maps offsets in the UTF-8 text handed to a speech engine to positions in the
// text it was made from, and back: byte offsets, UTF-16 positions (a QString's)
// and character counts (the engine's). With `lineEndIsOne` a CR LF pair of the
// engine's text stands for the single LF of an editor's text.
//
// Walks on from where the last question left it, so the rising offsets of a run
// cost little; a question behind that starts again from the front. Every
// question names the same text, which the map does not keep; reset() before
// asking about another.
class TextOffsetMap
{
public:
    explicit TextOffsetMap(bool lineEndIsOne = false) : m_lineEndIsOne(lineEndIsOne) {}
    void reset();

    // The UTF-16 position the byte offset stands at; an offset inside a
    // character (or a line end) gives the position after it.
    qsizetype positionOfByte(QByteArrayView utf8, qsizetype byteOffset);
    // Where the character holding the UTF-16 position begins (the text's size
    // past its end).
    qsizetype byteOfPosition(QByteArrayView utf8, qsizetype position);
    // Where the character with this 0-based index begins (the size past the end).
    qsizetype byteOfCharacter(QByteArrayView utf8, qsizetype index);

private:
    Utf8Char step(QByteArrayView utf8) const;
    // Walks on, character by character, while `more(the next one)` says so.
    template <typename More> void walk(QByteArrayView utf8, More more);

    bool m_lineEndIsOne;
    qsizetype m_byte = 0;
    qsizetype m_position = 0;
    qsizetype m_character = 0;
};

} // namespace loqa
