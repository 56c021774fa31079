#include <gtest/gtest.h>

#include "framework/core/Exception.h"
#include "framework/core/RegistryKey.h"
#include "framework/core/SignalEvent.h"
#include "platform/Errors.h"
#include "tests/framework/core/CoreTesting.h"

namespace {

constexpr const char* FontAssoc = "SYSTEM\\CurrentControlSet\\Control\\FontAssoc\\Associated DefaultFonts";

}  // namespace

TEST(RegistryKey, ReadsStringValues) {
  platform::RegistryClear();
  platform::RegistrySetValue(platform::RegistryRoot::LocalMachine, FontAssoc, "FontPackage", "MS Gothic");
  platform::RegistrySetValue(platform::RegistryRoot::LocalMachine, FontAssoc, "Cut", std::string_view("abc\0def", 7));

  CRegistryKey key;
  EXPECT_EQ(FailureCode([&] { key.StringValue("FontPackage"); }), platform::Error::InvalidHandle);
  key.Open(platform::RegistryRoot::LocalMachine, FontAssoc);
  EXPECT_EQ(key.StringValue("FontPackage"), CText("MS Gothic"));
  EXPECT_EQ(key.StringValue("Cut"), CText("abc")) << "the text ends at the first 0 byte";
  EXPECT_EQ(FailureCode([&] { key.StringValue("Missing"); }), platform::Error::FileNotFound);

  EXPECT_EQ(FailureCode([&] { key.Open(platform::RegistryRoot::CurrentUser, FontAssoc); }),
            platform::Error::FileNotFound);
  EXPECT_FALSE(key.IsOpen()) << "a failed open leaves no key open";
  EXPECT_EQ(FailureCode([&] { key.Open(platform::RegistryRoot::LocalMachine, FontAssoc, 0xF003F); }),
            platform::Error::AccessDenied)
      << "the registry is only read";
  platform::RegistryClear();
}

TEST(SignalEvent, AutoResetsAndTimesOut) {
  CSignalEvent event;
  EXPECT_EQ(FailureCode([&] { event.Set(); }), platform::Error::InvalidHandle);
  event.Create();
  EXPECT_EQ(FailureCode([&] { event.Wait(10); }), platform::Error::Timeout) << "created not signalled";
  event.Set();
  event.Wait(0);
  EXPECT_EQ(FailureCode([&] { event.Wait(0); }), platform::Error::Timeout) << "the wait reset it";

  CSignalEvent sameName, otherName;
  sameName.Create("tw-test-event");
  otherName.Create("tw-other-event");
  event.Create("tw-test-event");
  sameName.Set();
  EXPECT_EQ(FailureCode([&] { otherName.Wait(0); }), platform::Error::Timeout);
  event.Wait(0);
}
