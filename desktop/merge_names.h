// File names of a merge: the default output name and the paths handed to Word.
#pragma once

#include <QString>

// "mailmerge" + characters 4-5, 1-2 and 7-8 of a short date text + ".doc": 25/12/97 gives
// mailmerge122597.doc. Characters beyond the end of a shorter text contribute nothing.
QString DefaultOutputName(const QString& shortDate);
// Today's date as a short date text: dd/MM/yy.
QString TodayShortDate();
// A name as a dialog with that initial folder would give it: a full path stays as it is, a bare name lies
// in the folder (or stays bare when there is none).
QString DialogPath(const QString& initialDir, const QString& name);
