// The file dialog: queued answers, what the dialog was asked, the extension
// rule, and the caller's buffer.
#include <cstring>
#include <string>

#include "runtime/layer_fixture.h"

using namespace layer_test;

class LayerFileDialogTest : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    testkit::ClearFileSelectCalls();
  }
};

TEST_F(LayerFileDialogTest, QueuedAnswersAreReturnedAndEveryCallIsRecorded) {
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, "/tmp/kvor/KVORpara.cfg");
  testkit::QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, "/tmp/kvor/old.cfg");
  char path[260];
  EXPECT_EQ(VAL_NEW_FILE_SELECTED,
            FileSelectPopup("/tmp/kvor", "KVORpara.cfg", "*.cfg", "Parameter file", VAL_SAVE_BUTTON,
                            0, 1, 1, 1, path, sizeof path));
  EXPECT_STREQ("/tmp/kvor/KVORpara.cfg", path);
  EXPECT_EQ(VAL_EXISTING_FILE_SELECTED,
            FileSelectPopup("/tmp/kvor", "KVORpara.cfg", "*.cfg", "Load", VAL_LOAD_BUTTON, 0, 1, 1,
                            0, path, sizeof path));
  EXPECT_STREQ("/tmp/kvor/old.cfg", path);

  std::vector<testkit::FileSelectCall> calls = testkit::FileSelectCalls();
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ("/tmp/kvor", calls[0].directory);
  EXPECT_EQ("KVORpara.cfg", calls[0].defaultName);
  EXPECT_EQ("*.cfg", calls[0].filter);
  EXPECT_EQ("Parameter file", calls[0].title);
  EXPECT_EQ(VAL_SAVE_BUTTON, calls[0].buttonLabel);
  EXPECT_EQ(VAL_LOAD_BUTTON, calls[1].buttonLabel);
  // Restricted to the filter's type, the dialog adds it itself, before it
  // asks about replacing a file.
  EXPECT_EQ("cfg", calls[0].defaultSuffix);

  testkit::ClearFileSelectCalls();
  EXPECT_TRUE(testkit::FileSelectCalls().empty());
}

TEST_F(LayerFileDialogTest, CancelAndTheExtensionRule) {
  char path[260] = "left over";
  testkit::QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  EXPECT_EQ(VAL_NO_FILE_SELECTED,
            FileSelectPopup("", "KVORrecord.dat", "*.dat", "K-VOR-Series Recorder-File:",
                            VAL_OK_BUTTON, 0, 1, 1, 1, path, sizeof path));
  EXPECT_STREQ("", path);

  // Restricted to the filter's type: a name without it gets it.
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, "/tmp/run1");
  EXPECT_EQ(VAL_NEW_FILE_SELECTED, FileSelectPopup("", "", "*.dat", "t", VAL_OK_BUTTON, 0, 1, 1, 1,
                                                   path, sizeof path));
  EXPECT_STREQ("/tmp/run1.dat", path);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, "/tmp/run2.DAT");
  FileSelectPopup("", "", "*.dat", "t", VAL_OK_BUTTON, 0, 1, 1, 1, path, sizeof path);
  EXPECT_STREQ("/tmp/run2.DAT", path);
  // Not restricted: the name stays as chosen.
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, "/tmp/run3");
  FileSelectPopup("", "", "*.dat", "t", VAL_OK_BUTTON, 0, 0, 1, 1, path, sizeof path);
  EXPECT_STREQ("/tmp/run3", path);
  EXPECT_EQ("", testkit::FileSelectCalls().back().defaultSuffix);
  // A filter that allows every type adds nothing.
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, "/tmp/run4");
  FileSelectPopup("", "", "*.*", "t", VAL_OK_BUTTON, 0, 1, 1, 1, path, sizeof path);
  EXPECT_STREQ("/tmp/run4", path);
}

TEST_F(LayerFileDialogTest, APathLongerThanTheCallersBufferIsRefused) {
  const std::string dir = "/tmp/" + std::string(240, 'd');
  const std::string fits = dir + "/a.cfg";  // 251 bytes: exactly fills the buffer
  ASSERT_EQ(251u, fits.size());
  char path[252];
  std::memset(path, 'x', sizeof path);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, fits);
  EXPECT_EQ(VAL_NEW_FILE_SELECTED,
            FileSelectPopup("", "", "*.cfg", "t", VAL_SAVE_BUTTON, 0, 1, 1, 1, path, sizeof path));
  EXPECT_EQ(fits, std::string(path));

  std::memset(path, 'x', sizeof path);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, dir + "/ab.cfg");
  EXPECT_EQ(UIE_PATH_TOO_LONG,
            FileSelectPopup("", "", "*.cfg", "t", VAL_SAVE_BUTTON, 0, 1, 1, 1, path, sizeof path));
  EXPECT_EQ('\0', path[0]);

  // The appended extension counts too.
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, dir + "/abcdef");
  EXPECT_EQ(UIE_PATH_TOO_LONG,
            FileSelectPopup("", "", "*.cfg", "t", VAL_SAVE_BUTTON, 0, 1, 1, 1, path, sizeof path));
  EXPECT_EQ('\0', path[0]);

  EXPECT_EQ(UIE_BAD_VALUE, FileSelectPopup("", "", "*.cfg", "t", 0, 0, 1, 1, 1, nullptr, 10));
  EXPECT_EQ(UIE_BAD_VALUE, FileSelectPopup("", "", "*.cfg", "t", 0, 0, 1, 1, 1, path, 0));
}

TEST_F(LayerFileDialogTest, WithoutAScreenNoDialogBlocks) {
  // The tests run on Qt's offscreen platform: nobody could answer a dialog.
  char path[64] = "left over";
  EXPECT_EQ(VAL_NO_FILE_SELECTED, FileSelectPopup(nullptr, nullptr, nullptr, nullptr,
                                                  VAL_OK_BUTTON, 0, 0, 1, 1, path, sizeof path));
  EXPECT_STREQ("", path);
  ASSERT_EQ(1u, testkit::FileSelectCalls().size());
  EXPECT_EQ("", testkit::FileSelectCalls()[0].title);
}
