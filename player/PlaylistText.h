// The text of PLAYLIST.DAT read as its bytes arrive, so that no size read from
// the medium sizes anything: the count, then one name per line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PlaylistText {
 public:
  // A carriage return, a line feed or both end a line; empty lines are
  // passed over, a line is kept up to 31 bytes, bytes after the last line
  // end are dropped, and so are lines beyond what the play order can hold.
  void Add(const uint8_t* bytes, uint32_t length);
  // The names of the play order: the lines after the first, as many as the
  // first line's number says.
  std::vector<std::string> Names() const;

 private:
  std::vector<std::string> lines_;
  std::string line_;
  uint8_t previous_ = 0;
};
