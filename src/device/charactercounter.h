#pragma once

#include <QList>

// GRBL character counting: the controller has a receive buffer of fixed size,
// and a sender may keep at most that many bytes of unanswered commands in
// flight. Every counted command is answered by exactly one "ok" or "error:",
// which frees the oldest command's bytes.
class CharacterCounter
{
public:
    // Controller (re)started with an empty buffer of `bufferSize` bytes.
    void reset(int bufferSize)
    {
        availableBytes = bufferSize;
        pendingLengths.clear();
    }

    // A write of `length` bytes fits when it leaves at least one byte free.
    bool fits(int length) const { return length < availableBytes; }

    // Books `length` bytes of a counted command, if it fits.
    bool take(int length)
    {
        if (!fits(length))
            return false;
        pendingLengths.append(length);
        availableBytes -= length;
        return true;
    }

    // One answer arrived: the oldest command left the controller's buffer.
    // False for an answer with nothing pending (a stray "ok").
    bool recoverOnce()
    {
        if (pendingLengths.isEmpty())
            return false;
        availableBytes += pendingLengths.takeFirst();
        return true;
    }

    int available() const { return availableBytes; }
    int pendingCount() const { return pendingLengths.size(); }

private:
    int availableBytes = 0;
    QList<int> pendingLengths;
};
