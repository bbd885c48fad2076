// The program's sound: switched off, missing, and played from this test's own resources.

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include "TestSupport/ScratchSettings.h"
#include "CommandRunner.h"
#include "Settings.h"

TEST(Sound, SwitchedOffGivesOneWithoutLookingForTheSound) {
    ScratchSettings settings;
    WriteSettingInt("Settings", "PlaySounds", 0);
    EXPECT_EQ(PlayWaveResource("NO_SUCH_WAV"), 1);
    EXPECT_EQ(PlayWaveResource("TEST_WAV"), 1);
}

TEST(Sound, AMissingResourceGivesZero) {
    ScratchSettings settings;   // "PlaySounds" defaults to on
    EXPECT_EQ(PlayWaveResource("NO_SUCH_WAV"), 0);
}

TEST(Sound, APresentResourceGivesTheResultOfPlayingIt) {
    ScratchSettings settings;
    HRSRC resource = FindResourceA(nullptr, "TEST_WAV", "WAVE");
    ASSERT_NE(resource, nullptr);
    const char* sound = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
    ASSERT_NE(sound, nullptr);
    ASSERT_EQ(std::string(sound, 4), "RIFF");
    // Without a sound device the system may refuse; either way the answer must be its answer
    // and the call must come back at once.
    BOOL direct = sndPlaySoundA(sound, SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
    sndPlaySoundA(nullptr, 0);
    EXPECT_EQ(PlayWaveResource("TEST_WAV"), direct);
    sndPlaySoundA(nullptr, 0);
}
