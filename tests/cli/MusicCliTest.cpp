// tunewarden-cli's music commands run as a user would: lame files analysed
// and put on a player made by tunewarden-player, tags shown and set, name
// bitmaps drawn; the images are checked with mtools and fsck.fat.
#include <sstream>

#include "tests/cli/CliTesting.h"
#include "tests/player/PlayerTesting.h"

namespace {

using namespace cli_testing;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

using MusicCliTest = CliFixture;

TEST_F(MusicCliTest, AnalyseShowsTheFieldsInTheRecordsOrderOrRefusesTheFile) {
  MakeMp3(temp_ + "/a.mp3", 2, "First Song", "Someone");
  MakeMp3(temp_ + "/b.mp3", 1);
  const Outcome analysed = Cli("analyse '" + temp_ + "/a.mp3' '" + temp_ + "/b.mp3'");
  ASSERT_EQ(analysed.exitCode, 0);
  const std::vector<std::string> lines = Lines(analysed.output);
  ASSERT_EQ(lines.size(), 29u);
  const char* keys[] = {"version",    "layer",           "channels", "sampleRate", "bitRate", "dataStart", "dataLength",
                        "frameCount", "samplesPerFrame", "duration", "title",      "artist",  "album",     "comment"};
  for (size_t i = 0; i < 14; ++i) {
    EXPECT_EQ(lines[i].substr(0, lines[i].find('=')), keys[i]);
    EXPECT_EQ(lines[15 + i].substr(0, lines[15 + i].find('=')), keys[i]);
  }
  EXPECT_EQ(lines[14], "");
  EXPECT_EQ(lines[0], "version=1");
  EXPECT_EQ(lines[2], "channels=1");
  EXPECT_EQ(lines[3], "sampleRate=44100");
  EXPECT_NE(lines[5], "dataStart=0") << "behind lame's ID3 tag";
  EXPECT_EQ(lines[10], "title=First Song");
  EXPECT_EQ(lines[11], "artist=Someone");
  EXPECT_EQ(lines[15 + 10], "title=b") << "a file without tags is named after the file";

  WriteFile(temp_ + "/notes.txt", std::string(3000, 'n'));
  EXPECT_NE(Cli("analyse '" + temp_ + "/notes.txt'").exitCode, 0);
  EXPECT_NE(errors_.find("This file format is not valid."), std::string::npos) << errors_;
}

TEST_F(MusicCliTest, PutFillsBothFolderModesAndTagsAreShownAndSet) {
  ASSERT_EQ(Player("create --format --internal 8M").exitCode, 0);
  const std::string album = temp_ + "/album";
  std::filesystem::create_directories(album + "/disc2");
  MakeMp3(album + "/one.mp3", 1, "One");
  MakeMp3(album + "/disc2/two.mp3", 1, "Two");
  WriteFile(album + "/cover.txt", "cover");

  ASSERT_EQ(Cli("put '\\MUSIC' '" + album + "/one.mp3' '" + album + "/disc2'").exitCode, 0) << errors_;
  EXPECT_EQ(Lines(Cli("ls").output).size(), 3u);
  EXPECT_EQ(Mtools("mdir", "-b ::/MUSIC").output,
            "::/MUSIC/TRACK001.MP3\n::/MUSIC/TRACK001.INF\n::/MUSIC/TRACK002.MP3\n::/MUSIC/TRACK002.INF\n"
            "::/MUSIC/PLAYLIST.DAT\n")
      << "folders are walked, not made";
  ExpectClean();

  ASSERT_EQ(Cli("put '<USER>' '" + album + "'").exitCode, 0) << errors_;
  EXPECT_EQ(ReadFromImage("/USER/album/cover.txt"), "cover");
  EXPECT_EQ(ReadFromImage("/USER/album/disc2/two.mp3"), ReadFile(album + "/disc2/two.mp3"));
  ExpectClean();

  WriteFile(album + "/cover.txt", "new cover");
  EXPECT_EQ(Cli("put '\\USER\\album' '" + album + "/cover.txt'").exitCode, 0);
  EXPECT_NE(errors_.find("--replace"), std::string::npos) << errors_;
  EXPECT_EQ(ReadFromImage("/USER/album/cover.txt"), "cover") << "kept without --replace";
  EXPECT_EQ(Cli("put '\\USER\\album' '" + album + "/cover.txt' --replace all").exitCode, 0);
  EXPECT_EQ(ReadFromImage("/USER/album/cover.txt"), "new cover");

  EXPECT_EQ(Cli("tags '\\MUSIC' TRACK002.MP3").output, "title=Two\nartist=\nalbum=\ncomment=\n");
  ASSERT_EQ(Cli("tags '\\MUSIC' TRACK002.MP3 --artist 'The Band' --comment 'live'").exitCode, 0);
  EXPECT_EQ(Cli("tags '\\' TRACK002.MP3").output, "title=Two\nartist=The Band\nalbum=\ncomment=live\n");
  EXPECT_EQ(ReadFromImage("/MUSIC/TRACK002.INF").substr(272, 9), std::string("The Band\0", 9));
  EXPECT_NE(Cli("tags '\\MUSIC' TRACK009.MP3").exitCode, 0);
  EXPECT_NE(Cli("tags '<USER>' TRACK002.MP3").exitCode, 0);
  ExpectClean();
}

// An .m3u8 file stores the tracks it names in its order, a missing entry
// reported; get --playlist writes the play order back beside the tracks.
TEST_F(MusicCliTest, APlaylistStoresItsTracksInOrderAndGetWritesThePlayOrder) {
  ASSERT_EQ(Player("create --format --internal 8M").exitCode, 0);
  const std::string album = temp_ + "/album";
  std::filesystem::create_directories(album + "/disc 2");
  MakeMp3(album + "/b.mp3", 1, "Bee", "Band");
  MakeMp3(album + "/a.mp3", 2, "Ay");
  MakeMp3(album + "/disc 2/c.mp3", 1, "Sea");
  WriteFile(album + "/list.m3u8",
            "\xEF\xBB\xBF#EXTM3U\n#EXTINF:1,Bee\nb.mp3\nmissing.mp3\r\ndisc 2\\c.mp3\r\nfile://" + album + "/a.mp3\n");

  const Outcome put = Cli("put '\\MUSIC' '" + album + "/list.m3u8'");
  EXPECT_EQ(put.exitCode, 1) << "put fails at its end, as for anything passed over";
  EXPECT_EQ(put.output, "b.mp3\nc.mp3\na.mp3\n");
  EXPECT_NE(errors_.find("'" + album + "/missing.mp3' is named in a playlist but was not found"), std::string::npos)
      << errors_;
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "3\nTRACK001.MP3\nTRACK002.MP3\nTRACK003.MP3\n");
  EXPECT_EQ(Cli("put '\\MUSIC' '" + album + "/b.mp3' --skip-existing").exitCode, 0) << errors_;
  EXPECT_NE(errors_.find("b.mp3' was passed over"), std::string::npos) << errors_;
  EXPECT_EQ(Cli("tags '\\MUSIC' TRACK002.MP3").output.substr(0, 10), "title=Sea\n");

  const std::string out = temp_ + "/out";
  std::filesystem::create_directories(out);
  ASSERT_EQ(Cli("get '\\MUSIC' --to '" + out + "' --playlist order.m3u8").exitCode, 0) << errors_;
  EXPECT_EQ(ReadFile(out + "/order.m3u8"),
            "#EXTM3U\n#EXTINF:1,Band - Bee\nTRACK001.MP3\n#EXTINF:1,Sea\nTRACK002.MP3\n#EXTINF:2,Ay\nTRACK003.MP3\n");
  EXPECT_EQ(ReadFile(out + "/TRACK003.MP3").size(), ReadFromImage("/MUSIC/TRACK003.MP3").size());
  ExpectClean();
}

// Music in other formats, made and tagged by ffmpeg, arrives as MP3 tracks
// that our analysis and ffmpeg's decoder accept, as long as the source.
TEST_F(MusicCliTest, OtherFormatsArriveAsMp3TracksAsLongAsTheirSource) {
  ASSERT_EQ(Player("create --format --internal 8M").exitCode, 0);
  struct Format {
    const char *file, *title;
  };
  const Format formats[] = {{"a.flac", "日本語の曲"},
                            {"b.ogg", "한국어 노래"},
                            {"c.opus", "中文歌曲"},
                            {"d.m4a", "AAC song"},
                            {"tone.aiff", "tone"}};
  std::string files;
  for (const Format& format : formats) {
    const std::string path = temp_ + "/" + format.file;
    const std::string tags =
        std::string(format.title) == "tone" ? "" : std::string(" -metadata title='") + format.title + "'";
    ASSERT_EQ(Run("ffmpeg -v error -f lavfi -i sine=duration=3 -ac 2" + tags + " '" + path + "'").exitCode, 0);
    files += " '" + path + "'";
  }
  ASSERT_EQ(Cli("put '\\MUSIC'" + files).exitCode, 0) << errors_;

  // Samples at 44.1 kHz as ffmpeg decodes a file, or -1 when it reports an error.
  const auto decodedSamples = [&](const std::string& path) -> long {
    const std::string raw = temp_ + "/decoded.raw";
    const Outcome decoded = Run("ffmpeg -v error -y -i '" + path + "' -f s16le -ac 1 -ar 44100 '" + raw + "'");
    return decoded.exitCode == 0 && errors_.empty() ? long(std::filesystem::file_size(raw) / 2) : -1;
  };
  for (size_t i = 0; i < std::size(formats); ++i) {
    SCOPED_TRACE(formats[i].file);
    const std::string track = "TRACK00" + std::to_string(i + 1) + ".MP3";
    EXPECT_EQ(Lines(Cli("tags '\\MUSIC' " + track).output).at(0), std::string("title=") + formats[i].title);
    ASSERT_EQ(Mtools("mcopy", "'::/MUSIC/" + track + "' '" + temp_ + "/" + track + "'").exitCode, 0);
    EXPECT_EQ(Cli("analyse '" + temp_ + "/" + track + "'").exitCode, 0);
    const long source = decodedSamples(temp_ + "/" + formats[i].file), converted = decodedSamples(temp_ + "/" + track);
    ASSERT_GT(converted, 0) << "ffmpeg decodes the track without an error";
    EXPECT_NEAR(converted, source, 44100 * 0.05);
  }
  ExpectClean();
}

TEST_F(MusicCliTest, BitmapDrawsTextArtAndTheSamePictureAsAPng) {
  const Outcome art = Cli("bitmap Tunewarden");
  ASSERT_EQ(art.exitCode, 0);
  const std::vector<std::string> rows = Lines(art.output);
  ASSERT_EQ(rows.size(), 16u);
  const size_t width = rows[0].size();
  EXPECT_GT(width, 30u);
  std::string pixels;
  for (const std::string& row : rows) {
    EXPECT_EQ(row.size(), width);
    EXPECT_EQ(row.find_first_not_of(".#"), std::string::npos);
    for (char c : row) pixels += c == '#' ? '\0' : '\xff';
  }
  EXPECT_EQ(rows[0] + rows[1], std::string(2 * width, '.'));
  EXPECT_NE(art.output.find('#'), std::string::npos);

  // ffmpeg decodes the PNG independently of our writer.
  const std::string png = temp_ + "/name.png";
  ASSERT_EQ(Cli("bitmap Tunewarden --png '" + png + "'").exitCode, 0);
  const Outcome decoded = Run("ffmpeg -v error -i '" + png + "' -f rawvideo -pix_fmt gray -");
  ASSERT_EQ(decoded.exitCode, 0);
  EXPECT_EQ(decoded.output, pixels);
}

// A size in PLAYLIST.DAT's entry far beyond its clusters sizes nothing: the
// connection ends at once with the program's own message, also when memory
// is short.
TEST_F(MusicCliTest, ADamagedPlaylistSizeAllocatesNothing) {
  ASSERT_EQ(Player("create --format --internal 4M").exitCode, 0);
  ASSERT_EQ(Cli("ls").exitCode, 0);  // makes the MUSIC folder
  WriteFile(temp_ + "/PLAYLIST.DAT", "1\nTRACK001.MP3\n" + std::string(2000, '\n'));
  ASSERT_EQ(Mtools("mcopy", "'" + temp_ + "/PLAYLIST.DAT' ::/MUSIC/").exitCode, 0);
  std::string image = ReadFile(Image());
  const size_t entry = image.find("PLAYLISTDAT\x20");
  ASSERT_NE(entry, std::string::npos);
  image.replace(entry + 28, 4, "\xF0\xFF\xFF\xFF");
  WriteFile(Image(), image);

  const Outcome listed = Run("ASAN_OPTIONS=max_allocation_size_mb=256:allocator_may_return_null=1 " CLI_COMMAND " ls");
  EXPECT_EQ(listed.exitCode, 1);
  EXPECT_EQ(errors_.rfind("tunewarden-cli: ", 0), 0u) << errors_;
}

TEST_F(MusicCliTest, CheckNamesWhatIsWrongAndRepairSetsItRight) {
  ASSERT_EQ(Player("create --format --internal 4M").exitCode, 0);
  ASSERT_EQ(Cli("ls").exitCode, 0);  // makes the MUSIC folder
  WriteFile(temp_ + "/x", "x");
  for (const char* name : {"TRACK001.MP3", "TRACK001.INF", "TRACK002.INF"}) {
    ASSERT_EQ(Mtools("mcopy", "'" + temp_ + "/x' ::/MUSIC/" + name).exitCode, 0);
  }
  EXPECT_EQ(Cli("check").output,
            "TRACK001.MP3: a track outside the play order\nTRACK002.INF: a record without its audio\n");
  EXPECT_EQ(Cli("check --repair").output, "TRACK001.MP3: added to the play order\nTRACK002.INF: deleted\n");
  EXPECT_EQ(Cli("check").output, "The tracks and the play order agree.\n");
  EXPECT_EQ(ReadFromImage("/MUSIC/PLAYLIST.DAT"), "1\nTRACK001.MP3\n");
  ExpectClean();
}

}  // namespace
