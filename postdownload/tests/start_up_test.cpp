#include "postdownload/start_up.h"

#include <gtest/gtest.h>

#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::postdownload {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

TEST(PostdownloadStartUp, DrawsItsScreenAndLoadsTheTables) {
    SampleInstall install;
    RecordingConsole screen;
    const StartUp loaded = start_up();
    EXPECT_EQ(screen.transcript(), "{hide cursor}{high intensity}{background 9}{clear screen}{go to 24,2}QUORVANT COMMODITY DATA SERVICES"
              "{go to 16,3}POSTQUOR PROGRAM");
    EXPECT_EQ(loaded.commodities.size(), 76u);
}

}  // namespace
}  // namespace qv::postdownload
