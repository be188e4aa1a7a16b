#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/ResourceArchive.h"

namespace kavoro::os {
namespace {

class ResourceArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kavoro-rc-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "KAVORO.dll").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::vector<std::uint8_t> ReadAll() {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void WriteAll(const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  std::filesystem::path dir_;
  std::string path_;
};

const std::vector<Resource> kResources = {
    {"RCs", "res_1", {1, 2, 3, 4, 5}},
    {"RCs", "res_2", {}},
    {"RCs", "res_3", std::vector<std::uint8_t>(4096, 0xAB)},
};

TEST_F(ResourceArchiveTest, RoundTripsNamedResourcesByTypeWithoutRegardToCase) {
  ASSERT_TRUE(WriteResourceArchive(path_, kResources));
  auto lib = ResourceLibrary::Load(path_);
  ASSERT_TRUE(lib);
  EXPECT_EQ(lib->Count(), 3u);
  for (const Resource& r : kResources) {
    auto data = lib->FindResource(r.name, r.type);
    ASSERT_TRUE(data) << r.name;
    EXPECT_EQ(std::vector<std::uint8_t>(data->begin(), data->end()), r.data) << r.name;
  }
  EXPECT_TRUE(lib->FindResource("RES_1", "rcs"));
  EXPECT_FALSE(lib->FindResource("res_1", "BMP"));
  EXPECT_FALSE(lib->FindResource("res_4", "RCs"));
}

TEST_F(ResourceArchiveTest, DamagedArchivesLoadAsFarAsTheyAreIntact) {
  ASSERT_TRUE(WriteResourceArchive(path_, kResources));
  const auto good = ReadAll();

  // Cut inside the data of the last resource: the table is whole, the last one is missing.
  auto cut = good;
  cut.resize(good.size() - 10);
  WriteAll(cut);
  auto lib = ResourceLibrary::Load(path_);
  ASSERT_TRUE(lib);
  EXPECT_TRUE(lib->FindResource("res_1", "RCs"));
  EXPECT_FALSE(lib->FindResource("res_3", "RCs"));

  // A flipped byte in the first resource's data fails its checksum only.
  auto flipped = good;
  flipped[good.size() - 4096 - 5] ^= 0xFF;
  WriteAll(flipped);
  lib = ResourceLibrary::Load(path_);
  ASSERT_TRUE(lib);
  EXPECT_FALSE(lib->FindResource("res_1", "RCs"));
  EXPECT_TRUE(lib->FindResource("res_3", "RCs"));

  // Cut inside the header or the table, empty, foreign, or missing: does not load.
  for (std::size_t keep : {std::size_t{0}, std::size_t{5}, std::size_t{12}, std::size_t{30}}) {
    WriteAll({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(keep)});
    EXPECT_FALSE(ResourceLibrary::Load(path_)) << "kept " << keep << " bytes";
  }
  WriteAll({'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF});
  EXPECT_FALSE(ResourceLibrary::Load(path_));
  std::filesystem::remove(path_);
  EXPECT_FALSE(ResourceLibrary::Load(path_));
}

TEST(Crc32Test, MatchesTheStandardCheckValue) {
  const std::string text = "123456789";
  EXPECT_EQ(Crc32({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}), 0xCBF43926u);
}

// The word-at-a-time loop agrees with the plain bit-by-bit definition at every length and
// alignment around its eight-byte steps.
TEST(Crc32Test, AgreesWithTheBitwiseDefinitionAtAnyLengthAndOffset) {
  std::vector<std::uint8_t> bytes(300);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
  auto bitwise = [](const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
      crc ^= p[i];
      for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
  };
  for (std::size_t offset = 0; offset < 8; ++offset)
    for (std::size_t length : {0, 1, 7, 8, 9, 15, 16, 17, 255, 291})
      EXPECT_EQ(Crc32({bytes.data() + offset, length}), bitwise(bytes.data() + offset, length))
          << offset << "+" << length;
}

}  // namespace
}  // namespace kavoro::os
