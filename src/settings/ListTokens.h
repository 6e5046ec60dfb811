#pragma once

// Walks the ";"-separated lists stored in the main INI file.
#include <QByteArray>

// Takes the text before the first ";" out of source into token (the ";" goes
// with it); without a ";" the whole source is the token. False, and nothing
// changed, when the source is empty. "11;;19" yields "11", "" and "19".
bool SplitFirstToken(QByteArray& source, QByteArray& token);
