// Opening what is not a usable map through the real window: the file is
// refused with one box and nothing changes, so no later save can write over it.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/commands.h"
#include "app_fixture.h"
#include "model/map_state.h"

namespace {

using SafeOpen = AppTest;
using namespace std::string_literals;

int boxes_saying(const scripted_platform& fake, const std::string& text) {
  return static_cast<int>(
      std::count_if(fake.boxes.begin(), fake.boxes.end(),
                    [&](const scripted_platform::shown_box& b) { return b.text == text; }));
}

}  // namespace

TEST_F(SafeOpen, FilesThatAreNotMapsAreRefusedAndKeepTheirNameFromTheSaveDialog) {
  std::string bsp = "\x1d\0\0\0"s + std::string(64 * 1024 - 4, '\x7f');
  bsp[5000] = '{';
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {
      {"passwd", "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1:daemon:/usr/sbin:/usr/sbin/nologin\n"},
      {"picture.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0\x1f\xf3\xff"s},
      {"level.bsp", bsp},
  };
  const std::string caption = win->document.caption();
  const std::string name = win->document.FileData.file_name;
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    const std::string path = temp_dir() + "/" + f.name;
    write_file(path, f.bytes);
    fake.boxes.clear();
    open_map(path);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, path + " is not a map file");
    EXPECT_EQ(fake.boxes[0].caption, "loading...");
    EXPECT_EQ(win->candraw, 0);
    EXPECT_EQ(hull, nullptr);
    EXPECT_FALSE(enabled(CM_FILESAVE));
    EXPECT_TRUE(enabled(CM_FILEOPEN));
    // The name chosen is not kept for the next save dialog.
    EXPECT_EQ(win->document.FileData.file_name, name);
    EXPECT_EQ(win->document.caption(), caption);
    EXPECT_EQ(read_file(path), f.bytes);
  }
}

TEST_F(SafeOpen, ADeviceIsRefusedWithoutReadingIt) {
  open_map("/dev/zero");
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_NE(fake.boxes[0].text.find("/dev/zero"), std::string::npos);
  EXPECT_NE(fake.boxes[0].text.find("not a regular file"), std::string::npos) << fake.boxes[0].text;
  EXPECT_EQ(win->candraw, 0);
}

TEST_F(SafeOpen, ManyStrayPairsShowOneObsoleteBoxAndTheirCount) {
  std::string text = "{\n\"classname\" \"worldspawn\"\n{\n( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0 0 0 1 1\n}\n";
  for (int i = 0; i < 5000; ++i) text += "\"k" + std::to_string(i) + "\" \"v\"\n";
  text += "}\n";
  const std::string path = temp_dir() + "/stray.map";
  write_file(path, text);
  open_map(path);
  EXPECT_EQ(boxes_saying(fake, "obsolete"), 1);
  ASSERT_EQ(fake.boxes.size(), 3u);
  EXPECT_EQ(fake.boxes[0].text, "obsolete");
  EXPECT_EQ(fake.boxes[0].caption, "loading...");
  EXPECT_EQ(fake.boxes[1].text, "finished loading 1 models");
  EXPECT_NE(fake.boxes[2].text.find("5000"), std::string::npos) << fake.boxes[2].text;
  EXPECT_EQ(fake.boxes[2].caption, "loading...");
  int pairs = 0;
  for (const keyval* kv = hull->header; kv != nullptr; kv = kv->next) ++pairs;
  EXPECT_EQ(pairs, 5001);
  EXPECT_EQ(win->timer().period(), 0);
}
