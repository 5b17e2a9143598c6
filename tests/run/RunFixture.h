#pragma once
// What the tests of the runs start from: a scratch folder, the test host and the movie, with
// a colour movie written, opened and shown at its own size.

#include <gtest/gtest.h>

#include "audio/TestFiles.h"
#include "convert/run/ParsedMovie.h"
#include "run/RunTestFiles.h"
#include "run/RunTestHost.h"

namespace runtest {

class RunFixture : public testing::Test {
  protected:
    void OpenColourMovie(const ColourMovie& movie);

    testfiles::ScratchDir scratch_;
    RunTestHost host_;
    convert::ParsedMovie movie_;
};

}  // namespace runtest
