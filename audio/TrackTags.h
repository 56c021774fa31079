// The texts of the tags that today's taggers write, read through TagLib: the
// ID3v2 tag (2.2, 2.3, 2.4) of an MPEG file, or the Vorbis comment, MP4 or
// other tag of a file in another format. The MPEG analysis stays our own.
#pragma once

#include <string>

#include "audio/AudioAnalysis.h"

// Puts the title, artist, album and comment of the MPEG file's ID3v2 tag over
// the texts the analysis found (ID3v1, then the file name), field by field: a
// field the tag leaves empty, or whose text the code page cannot hold, keeps
// what was there, as does every field when the module with TagLib does not
// load. `systemPath` names the file as the operating system does.
void ReadId3v2Texts(const std::string& systemPath, AudioInfo* info);

// An ID3v1 text is bytes in a code page that nobody recorded; one that is not
// valid in the program's code page is read as Latin-1, the ID3v1 tag's own.
void RepairId3v1Texts(AudioInfo* info);
