// WAV headers and VxPlaySound: waiting for the sound's length, cutting a sound off.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "library/Karvo.h"
#include "platform/Wave.h"
#include "tests/support/TestMachine.h"

namespace {

using vx::test::TestMachine;
using Clock = std::chrono::steady_clock;

void Put16(std::string& s, std::uint16_t v) {
  s += char(v & 0xFF);
  s += char(v >> 8);
}
void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A PCM WAV of `ms` milliseconds of silence; `extra` chunks go before "fmt ".
std::string Wav(std::uint32_t ms, std::uint32_t rate = 8000, std::uint16_t channels = 1,
                std::uint16_t bits = 8, const std::string& extra = {}) {
  const std::uint16_t align = channels * (bits / 8);
  const std::uint32_t data = rate * align * ms / 1000;
  std::string body = "WAVE" + extra + "fmt ";
  Put32(body, 16);
  Put16(body, 1);
  Put16(body, channels);
  Put32(body, rate);
  Put32(body, rate * align);
  Put16(body, align);
  Put16(body, bits);
  body += "data";
  Put32(body, data);
  body += std::string(data, bits == 8 ? '\x80' : '\0');
  std::string riff = "RIFF";
  Put32(riff, static_cast<std::uint32_t>(body.size()));
  return riff + body;
}

bool Parse(const std::string& bytes, vx::WaveInfo* info) {
  return vx::ParseWave(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), info);
}

TEST(Wave, ReadsTheFormatAndPlayingTime) {
  vx::WaveInfo w;
  ASSERT_TRUE(Parse(Wav(250, 8000, 1, 8), &w));
  EXPECT_EQ(w.format, 1);
  EXPECT_EQ(w.sampleRate, 8000u);
  EXPECT_EQ(w.dataSize, 2000u);
  EXPECT_EQ(w.durationMs, 250u);
  ASSERT_TRUE(Parse(Wav(1500, 44100, 2, 16), &w));
  EXPECT_EQ(w.durationMs, 1500u);
  EXPECT_EQ(w.dataOffset, 44u);

  // Chunks before the format are stepped over, with their padding byte.
  std::string list = "LIST";
  Put32(list, 3);
  list += "abc";
  list += '\0';
  ASSERT_TRUE(Parse(Wav(100, 8000, 1, 8, list), &w));
  EXPECT_EQ(w.durationMs, 100u);
}

TEST(Wave, DataRunningPastTheEndIsCutToWhatIsThere) {
  std::string wav = Wav(1000, 8000, 1, 16);  // 16000 data bytes
  wav.resize(wav.size() - 8001);             // half a second and one odd byte gone
  vx::WaveInfo w;
  ASSERT_TRUE(Parse(wav, &w));
  EXPECT_EQ(w.dataSize, 7998u);  // whole frames only
  EXPECT_EQ(w.durationMs, 500u);
}

TEST(Wave, RefusesDamagedOrForeignFiles) {
  vx::WaveInfo w;
  const std::string good = Wav(100);
  EXPECT_FALSE(Parse("", &w));
  EXPECT_FALSE(Parse("RIFF", &w));
  EXPECT_FALSE(Parse("RIFX" + good.substr(4), &w));
  // Cut inside the header, at every length up to the data chunk's head.
  for (std::size_t n = 0; n < 44; ++n) EXPECT_FALSE(Parse(good.substr(0, n), &w)) << n;

  std::string bad = good;
  bad[20] = 2;  // ADPCM
  EXPECT_FALSE(Parse(bad, &w));
  bad = good;
  bad[28] = 1;  // byte rate no longer rate x block align
  EXPECT_FALSE(Parse(bad, &w));
  bad = good;
  bad[24] = 10, bad[25] = 0, bad[26] = 0, bad[27] = 0;  // 10 samples a second
  bad[28] = 10, bad[29] = 0, bad[30] = 0, bad[31] = 0;
  EXPECT_FALSE(Parse(bad, &w));
  bad = good;
  bad[16] = char(0xF0), bad[17] = char(0xFF), bad[18] = char(0xFF), bad[19] = char(0x7F);
  EXPECT_FALSE(Parse(bad, &w));  // a format chunk longer than the file

  // "data" before "fmt ": no format to play it with.
  std::string noFormat = "RIFF";
  Put32(noFormat, 12);
  noFormat += "WAVEdata";
  Put32(noFormat, 0);
  EXPECT_FALSE(Parse(noFormat, &w));

  // Thousands of empty chunks are not walked to the end.
  std::string many = "RIFF";
  Put32(many, 0);
  many += "WAVE";
  for (int i = 0; i < 5000; ++i) {
    many += "junk";
    Put32(many, 0);
  }
  many += good.substr(12);
  EXPECT_FALSE(Parse(many, &w));
}

class PlaySoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("VX_SOUND_PLAYER");
    hadPlayer_ = old != nullptr;
    if (old) oldPlayer_ = old;
  }
  void TearDown() override {
    VxPlaySound("", 0);
    if (hadPlayer_)
      setenv("VX_SOUND_PLAYER", oldPlayer_.c_str(), 1);
    else
      unsetenv("VX_SOUND_PLAYER");
  }
  // A stand-in player: notes its pid and file, then plays for `seconds`.
  std::string FakePlayer(const TestMachine& m, int seconds) {
    const std::string script = m.Dir() + "/player.sh";
    log_ = m.Dir() + "/player.log";
    std::ofstream(script) << "#!/bin/sh\necho \"$$ $1\" >> '" << log_ << "'\nexec sleep " << seconds
                          << "\n";
    chmod(script.c_str(), 0755);
    return script;
  }
  std::vector<std::pair<int, std::string>> Started() const {
    std::vector<std::pair<int, std::string>> out;
    std::ifstream in(log_);
    int pid;
    std::string file;
    while (in >> pid >> file) out.emplace_back(pid, file);
    return out;
  }
  static bool Alive(int pid) {
    // A reaped process is gone; a zombie would still answer kill(0).
    return kill(pid, 0) == 0;
  }

  std::string log_;
  bool hadPlayer_ = false;
  std::string oldPlayer_;
};

TEST_F(PlaySoundTest, WaitLastsTheSoundsLengthWithoutAPlayer) {
  TestMachine m;
  setenv("VX_SOUND_PLAYER", "", 1);
  m.WriteFile("C:\\Media\\short.wav", Wav(300));
  const auto start = Clock::now();
  VxPlaySound("C:\\Media\\short.wav", 1);
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  EXPECT_GE(waited.count(), 300);

  // Without wait, or for a file that is not a sound, the call does not wait.
  m.WriteFile("C:\\Media\\text.wav", std::string(5000, 'x'));
  const auto again = Clock::now();
  VxPlaySound("C:\\Media\\text.wav", 1);
  VxPlaySound("C:\\Media\\missing.wav", 1);
  VxPlaySound("C:\\Media\\short.wav", 0);
  VxPlaySound(nullptr, 1);
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - again).count(),
            300);
}

TEST_F(PlaySoundTest, PlayerGetsTheHostPathAndANewSoundCutsTheOldOneOff) {
  TestMachine m;
  setenv("VX_SOUND_PLAYER", FakePlayer(m, 30).c_str(), 1);
  m.WriteFile("C:\\Media\\one.wav", Wav(100));
  m.WriteFile("C:\\Media\\two.wav", Wav(100));

  VxPlaySound("C:\\Media\\one.wav", 0);
  std::vector<std::pair<int, std::string>> started;
  for (int i = 0; i < 500 && started.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    started = Started();
  }
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].second, m.Host("C:\\Media\\one.wav"));
  EXPECT_TRUE(Alive(started[0].first));

  VxPlaySound("C:\\Media\\two.wav", 0);
  EXPECT_FALSE(Alive(started[0].first));
  for (int i = 0; i < 500 && started.size() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    started = Started();
  }
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[1].second, m.Host("C:\\Media\\two.wav"));

  // An empty name only stops.
  VxPlaySound("", 0);
  EXPECT_FALSE(Alive(started[1].first));
}

TEST_F(PlaySoundTest, WaitOutlastsAPlayerThatEndsEarly) {
  TestMachine m;
  setenv("VX_SOUND_PLAYER", FakePlayer(m, 0).c_str(), 1);
  m.WriteFile("C:\\Media\\s.wav", Wav(250));
  const auto start = Clock::now();
  VxPlaySound("C:\\Media\\s.wav", 1);
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(),
            250);
  EXPECT_EQ(Started().size(), 1u);
}

}  // namespace
