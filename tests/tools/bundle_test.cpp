// velmora-data bundle on an edited folder: what the tarball and the package
// hold, what players get of the author's own play (nothing), and the folders
// it refuses. The launchers under a display: tests/tools/bundle_check.sh.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/session.h"

namespace vm::test {
namespace {

namespace fs = std::filesystem;

// The bundle needs the program beside the tool and the Debian tools
// (a sanitizer tree builds neither the program nor a package).
bool can_bundle() {
  std::string out;
  return fs::exists(build_dir() + "/velmora") &&
         run_command("command -v dpkg-shlibdeps dpkg-deb strip", out) == 0;
}

std::string tool() {
  return build_dir() + "/velmora-data";
}

// The demo, and the folder an author edits it in.
class Bundle : public ::testing::Test {
 protected:
  TempDir d;
  std::string out;
  void SetUp() override {
    if (!can_bundle()) GTEST_SKIP() << "no velmora beside the tool, or no dpkg-dev";
    ASSERT_EQ(run_command(tool() + " demo " + d / "demo", out), 0) << out;
    ASSERT_EQ(run_command(tool() + " unpack " + d / "demo " + d / "edit", out), 0) << out;
  }
};

TEST_F(Bundle, AnEditedFolderShipsPackedWithoutTheAuthorsPlay) {
  // The author's edit, and what trying it left: a save, the gallery seen.
  edit_file(d / "edit/script.csv", "港町ヴェルモラの夏は、潮の香りと一緒に",
            "港町の夏は、いつも突然");
  edit_file(d / "edit/system.txt", "\r\n023456\r\n", "\r\n000000\r\n");
  write_bytes(d / "edit/00.dat", "a save of the author's\r\n");
  ASSERT_EQ(run_command(tool() + " icon 64 " + d / "icon.png", out), 0) << out;
  ASSERT_EQ(run_command(tool() + " pack " + d / "edit " + d / "packed", out), 0) << out;

  ASSERT_EQ(
      run_command(tool() + " bundle " + d / "edit" + " --name 'Summer Test' --id " +
                      "org.example.summer_test --icon " + d / "icon.png --version 2.0 " + d / "out",
                  out),
      0)
      << out;
  ASSERT_EQ(
      run_command("tar xzf " + d / "out/summer-test-2.0-linux-x86_64.tar.gz -C " + d.path(), out),
      0)
      << out;
  const std::string folder = d / "summer-test-2.0/";
  EXPECT_EQ(read_bytes(folder + "data/51.dat"), read_bytes(d / "packed/51.dat"));
  EXPECT_FALSE(fs::exists(folder + "data/00.dat"));
  EXPECT_NE(read_bytes(folder + "data/50.dat").find("\r\n023456\r\n"), std::string::npos)
      << "nothing seen yet";
  EXPECT_EQ(read_bytes(folder + "icons/hicolor/64x64/apps/summer-test.png"),
            read_bytes(d / "icon.png"));
  // The launcher finds the program from anywhere.
  EXPECT_EQ(run_command("cd / && '" + folder + "summer-test' --version", out), 0);
  EXPECT_EQ(out, "velmora 1.10\n");

  const std::string deb = d / "out/summer-test_2.0_amd64.deb";
  ASSERT_EQ(run_command("dpkg-deb -c " + deb, out), 0) << out;
  for (const char* path :
       {"./usr/games/summer-test", "./usr/lib/games/summer-test/velmora",
        "./usr/share/games/summer-test/51.dat",
        "./usr/share/applications/org.example.summer_test.desktop",
        "./usr/share/metainfo/org.example.summer_test.metainfo.xml",
        "./usr/share/icons/hicolor/64x64/apps/summer-test.png",
        "./usr/share/doc/summer-test/copyright", "./usr/share/man/man6/summer-test.6.gz"})
    EXPECT_NE(out.find(std::string(" ") + path + "\n"), std::string::npos) << path;
  EXPECT_EQ(out.find("00.dat"), std::string::npos);
  ASSERT_EQ(run_command("dpkg-deb -f " + deb + " Depends", out), 0) << out;
  EXPECT_NE(out.find("libgtk-3-0 (>= "), std::string::npos) << out;
  if (run_command("command -v lintian", out) == 0) {
    run_command("lintian " + deb + " | grep -v 'running with root'", out);
    EXPECT_EQ(out, "");
  }
}

// The file at path in the package.
std::string deb_file(const std::string& deb, const std::string& path) {
  std::string out;
  EXPECT_EQ(run_command("dpkg-deb --fsys-tarfile " + deb + " | tar xOf - ." + path, out), 0)
      << path;
  return out;
}

TEST_F(Bundle, AGameNamedInItsOwnWordsShipsAndIsListedUnderItsName) {
  write_bytes(d / "edit/game.ini",
              "[game]\ntitle=潮騒の鐘 & Co\nsummary=A summer by the lighthouse\n"
              "home=https://tidebell.example.org/\n");
  ASSERT_EQ(
      run_command(tool() + " bundle " + d / "edit" +
                      " --id io.example.TideBell --version 1.2 --license CC-BY-SA-4.0 " + d / "out",
                  out),
      0)
      << out;
  ASSERT_EQ(
      run_command("tar xzf " + d / "out/tidebell-1.2-linux-x86_64.tar.gz -C " + d.path(), out), 0)
      << out;
  const std::string folder = d / "tidebell-1.2/";
  EXPECT_EQ(read_bytes(folder + "README.txt").rfind("潮騒の鐘 & Co 1.2\n", 0), 0u);
  EXPECT_NE(read_bytes(folder + "README.txt").find("io.example.TideBell.desktop"),
            std::string::npos);
  for (const std::string& entry :
       {read_bytes(folder + "io.example.TideBell.desktop"),
        deb_file(d / "out/tidebell_1.2_amd64.deb",
                 "/usr/share/applications/io.example.TideBell.desktop")}) {
    EXPECT_NE(entry.find("\nName=潮騒の鐘 & Co\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nStartupWMClass=tidebell\n"), std::string::npos) << entry;
  }

  // Software centres list it by its metainfo, which names the game and
  // links its desktop entry and icon.
  const std::string info = deb_file(d / "out/tidebell_1.2_amd64.deb",
                                    "/usr/share/metainfo/io.example.TideBell.metainfo.xml");
  for (const char* want :
       {"<id>io.example.TideBell</id>", "<name>潮騒の鐘 &amp; Co</name>",
        "<summary>A summer by the lighthouse</summary>",
        "<project_license>CC-BY-SA-4.0</project_license>",
        "<launchable type=\"desktop-id\">io.example.TideBell.desktop</launchable>",
        "<icon type=\"stock\">tidebell</icon>",
        "<url type=\"homepage\">https://tidebell.example.org/</url>",
        "<release version=\"1.2\" date=\""})
    EXPECT_NE(info.find(want), std::string::npos) << want << "\n" << info;
  write_bytes(d / "io.example.TideBell.metainfo.xml", info);
  if (run_command("command -v appstreamcli", out) != 0) GTEST_SKIP() << "no appstreamcli";
  EXPECT_EQ(run_command("appstreamcli validate --no-net --pedantic " +
                            d / "io.example.TideBell.metainfo.xml",
                        out),
            0)
      << out;
  EXPECT_EQ(out.find("W:"), std::string::npos) << out;
}

TEST_F(Bundle, RefusesBrokenDataAndNamesItCannotShip) {
  edit_file(d / "edit/script.csv", "\n0010,,,0,,,,,DI,", "\n0010,,,zz,,,,,DI,");  // line 4
  const std::string names = " --name Broken --id org.example.broken ";
  EXPECT_EQ(run_command(tool() + " bundle " + d / "edit" + names + d / "out", out), 1);
  EXPECT_NE(out.find("script.csv:4: error: field 4 (place): \"zz\" is not a number\n"),
            std::string::npos)
      << out;
  EXPECT_TRUE(fs::is_empty(d / "out"));

  EXPECT_EQ(run_command(tool() + " bundle " + d / "demo --name A --id mygame " + d / "out", out),
            2);
  EXPECT_NE(out.find("the id is reverse-DNS"), std::string::npos) << out;
  EXPECT_EQ(
      run_command(tool() + " bundle " + d / "demo --name A --id org.example.velmora " + d / "out",
                  out),
      2);
  EXPECT_EQ(
      run_command(tool() + " bundle " + d / "empty --name A --id org.example.ab " + d / "out", out),
      1);
  EXPECT_NE(out.find("neither a data folder (51.dat) nor an edit folder"), std::string::npos)
      << out;
}

}  // namespace
}  // namespace vm::test
