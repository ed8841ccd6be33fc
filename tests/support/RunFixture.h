// The fixture of every test that needs a fresh run: the whole run state back to its start
// values before the test and again after it, and a quiet headless UI whose answers the test
// may queue. The machine is the deriving fixture's, so it fills the folder values itself.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/base/EngineRun.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/HeadlessUi.h"

namespace vx::test {

class FreshRunTest : public ::testing::Test {
 protected:
  FreshRunTest() {
    CurrentRun().Reset();
    UseHeadlessUi();
  }
  ~FreshRunTest() override { CurrentRun().Reset(); }

  // A new quiet headless UI behind the UI front, answering with `answers` in turn.
  HeadlessUi* UseHeadlessUi(std::vector<std::string> answers = {}) {
    auto headless = std::make_unique<HeadlessUi>(std::move(answers), false);
    headless_ = headless.get();
    SetUi(std::move(headless));
    ResetAnswerRefusal();
    SetAnswerRefusalHandler(nullptr);
    return headless_;
  }
  HeadlessUi* Headless() const { return headless_; }

 private:
  HeadlessUi* headless_ = nullptr;
};

}  // namespace vx::test
