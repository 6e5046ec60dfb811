#include "settings/ListTokens.h"

bool SplitFirstToken(QByteArray& source, QByteArray& token)
{
    if (source.isEmpty())
        return false;
    const int at = source.indexOf(';');
    if (at < 0) {
        token = source;
        source.clear();
    } else {
        token = source.left(at);
        source = source.mid(at + 1);
    }
    return true;
}
