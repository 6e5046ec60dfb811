#pragma once

// A file kept read-only outside the editor is made writable for a write and
// protected again afterwards, whatever way the scope is left.
#include <QByteArray>

class ReadOnlyLift
{
public:
    enum class After {
        AsBefore, // read-only again exactly when it was read-only before
        Protect,  // read-only whenever the file is then a plain file (attributes exactly
                  // normal): a file this run has written is left as it is
    };

    explicit ReadOnlyLift(QByteArray path, After after = After::AsBefore);
    ~ReadOnlyLift();
    ReadOnlyLift(const ReadOnlyLift&) = delete;
    ReadOnlyLift& operator=(const ReadOnlyLift&) = delete;

private:
    QByteArray m_path;
    After m_after;
    bool m_wasReadOnly = false;
};
