#include <gtest/gtest.h>

#include "ClientTestSupport.h"
#include "PUREStorageAPI.h"

namespace {

using kxtest::lastRequest;
using kxtest::queue;

class FlashArrayVolumes : public kxtest::ClientTest<PureStorageAPI> {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    ASSERT_TRUE(connectWith("{\"username\":\"pureuser\"}"));
  }
  void useVersions(const std::string& answer) {
    queue(true, answer);
    client_->fetchAPIVersions();
  }
};

TEST_F(FlashArrayVolumes, VolumeWithSourceName) {
  struct Case {
    bool ok;
    std::string answer;
    bool result, exists;
    std::string serial;
  } cases[] = {
      {true, "{\"name\":\"KX_1\",\"source\":\"v.S\",\"serial\":\"AB\"}", true, true, "AB"},
      {true, "{\"name\":\"KX_1\",\"serial\":\"AB\"}", true, true, "AB"},
      {true, "{\"name\":\"KX_1\",\"source\":null,\"serial\":\"AB\"}", true, true, "AB"},
      {true, "{\"name\":\"KX_1\",\"source\":\"w.S\",\"serial\":\"AB\"}", true, false, "AB"},
      {false, "[{\"msg\":\"Volume does not exist.\"}]", true, false, ""},
      {false, "[{\"msg\":\"Volume has been destroyed.\"}]", true, false, ""},
      {false, "[{\"msg\":\"Internal error\"}]", false, true, ""},
      {false, "oops", false, true, ""},
      {true, "{\"serial\":\"AB\"}", true, false, ""},
  };
  for (const Case& c : cases) {
    queue(c.ok, c.answer);
    bool exists = !c.exists;
    std::string serial = "stale";
    EXPECT_EQ(client_->checkIfVolWithSourceNameExists("KX_1", "v.S", exists, serial), c.result)
        << c.answer;
    EXPECT_EQ(exists, c.exists) << c.answer;
    EXPECT_EQ(serial, c.serial) << c.answer;
    EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/volume/KX_1");
  }
  EXPECT_TRUE(record_->hasLog("Volume does not exist, msg :[Volume has been destroyed.]"));
}

TEST_F(FlashArrayVolumes, SerialLookupUses17FilterWhenOfferedAndRestores14) {
  useVersions("{\"version\":[\"1.4\",\"1.7\"]}");
  queue(true, "[{\"name\":\"vol9\",\"serial\":\"ABC\"}]");
  std::string name;
  ASSERT_TRUE(client_->getVolumeNameUsingSerialNumber("ABC", name));
  EXPECT_EQ(name, "vol9");
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.7/volume?filter=serial='ABC'");
  EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "api/1.4");

  queue(false, "[{\"msg\":\"x\"}]");
  EXPECT_FALSE(client_->getVolumeNameUsingSerialNumber("A B", name));
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.7/volume?filter=serial='A%20B'");
  EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "api/1.4");

  queue(true, "[]");
  EXPECT_FALSE(client_->getVolumeNameUsingSerialNumber("ABC", name));
  EXPECT_EQ(client_->getErrorStr(), "No volume exists by serial number [ ABC].");
}

TEST_F(FlashArrayVolumes, SerialLookupWithout17ListsAllVolumes) {
  useVersions("{\"version\":[\"1.4\"]}");
  const std::string list =
      "[{\"name\":\"a\"},{\"name\":\"b\",\"serial\":\"abc\"},{\"name\":\"c\",\"serial\":\"DEF\"}]";
  struct Case {
    std::string serial;
    bool result;
    std::string name;
  } cases[] = {{"ABC", true, "b"}, {"DEF", true, "c"}, {"abc", false, ""}, {"XYZ", false, ""}};
  for (const Case& c : cases) {
    queue(true, list);
    std::string name = "stale";
    EXPECT_EQ(client_->getVolumeNameUsingSerialNumber(c.serial, name), c.result) << c.serial;
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/volume");
  }
  EXPECT_EQ(client_->getErrorStr(), "No volume fetched by serial [ XYZ]");
}

TEST_F(FlashArrayVolumes, CreateFromSnapshotWithAndWithoutOverwrite) {
  PS_SnapInfo s;
  s.snapName = "v.S";
  s.cloneVolName = "KX_7_Clone";
  queue(true, "{\"name\":\"KX_7_Clone\",\"serial\":\"CS\"}");
  ASSERT_TRUE(client_->createVolumeFromSnap(s, "--", true));
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/volume/KX_7_Clone");
  EXPECT_EQ(lastRequest().body, "{\"overwrite\": true, \"source\":\"v.S\"}");
  EXPECT_EQ(s.cloneVolSerial, "CS");

  queue(true, "{\"name\":\"KX_8\",\"serial\":\"CS\"}");
  EXPECT_FALSE(client_->createVolumeFromSnap(s, "--", false));
  EXPECT_EQ(lastRequest().body, "{\"source\":\"v.S\"}");
  EXPECT_EQ(client_->getErrorStr().rfind("Volume creation failed - Target Volume Name [KX_7_Clone]. Got Volume Name [KX_8]", 0), 0u);
}

TEST_F(FlashArrayVolumes, VolumeExistsByNameOrByNameAndSerial) {
  PS_SnapInfo s;
  s.volName = "v";
  s.volSerial = "S1";
  for (bool nameOnly : {true, false}) {
    queue(true, "{\"name\":\"v\",\"serial\":\"S2\"}");
    bool exists = !nameOnly;
    ASSERT_TRUE(client_->checkIfVolumeExists(s, exists, nameOnly));
    EXPECT_EQ(exists, nameOnly);
  }
}

TEST_F(FlashArrayVolumes, CloneChoice) {
  std::string name, serial;
  bool exists = false, resync = false;
  // No active, no destroyed clone: the prefix itself, to be created.
  queue(true, "[]");
  queue(true, "[]");
  ASSERT_TRUE(client_->GetCloneNameToUse("KX_5", "", name, serial, exists, resync));
  EXPECT_EQ(name, "KX_5");
  EXPECT_FALSE(exists);
  EXPECT_EQ(lastRequest().url,
            "https://array1/api/1.7/volume?pending_only=true&filter=name=\"KX_5*\"");

  // Two active clones: the first in the array's order.
  queue(true, "[{\"name\":\"KX_5b\",\"serial\":\"B\"},{\"name\":\"KX_5a\",\"serial\":\"A\"}]");
  ASSERT_TRUE(client_->GetCloneNameToUse("KX_5", "", name, serial, exists, resync));
  EXPECT_EQ(name, "KX_5b");
  EXPECT_TRUE(exists);
  EXPECT_FALSE(resync);
  EXPECT_TRUE(record_->hasLog("Active clones with clone prefix [KX_5] are [KX_5a]"));

  // A destroyed one whose recovery fails: back to the prefix.
  queue(true, "[]");
  queue(true, "[{\"name\":\"KX_5d\",\"serial\":\"D\"}]");
  queue(false, "[{\"msg\":\"no\"}]");
  ASSERT_TRUE(client_->GetCloneNameToUse("KX_5", "", name, serial, exists, resync));
  EXPECT_EQ(name, "KX_5");
  EXPECT_FALSE(exists);
  EXPECT_EQ(lastRequest().type, HTTP_REQ_PUT);
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.7/volume/KX_5d");

  // A destroyed one that recovers: taken, with a resync.
  queue(true, "[]");
  queue(true, "[{\"name\":\"KX_5d\",\"serial\":\"D\"}]");
  queue(true, "{\"name\":\"KX_5d\"}");
  ASSERT_TRUE(client_->GetCloneNameToUse("KX_5", "", name, serial, exists, resync));
  EXPECT_EQ(name, "KX_5d");
  EXPECT_TRUE(exists && resync);
  EXPECT_EQ(lastRequest().body, "{\"action\":\"recover\"}");
}

}  // namespace
