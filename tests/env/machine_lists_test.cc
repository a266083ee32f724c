#include "env/machine_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_host.h"
#include "tests/env/plant_files.h"
#include "tests/support/test_support.h"

namespace md_Standard_Config_Exe {
namespace {

using Names = std::vector<std::string>;
constexpr auto& Write = test_support::WriteBytes;

class MachineListsTest : public plant_files::PlantTest {
 protected:
  std::string ProgramIni() const { return Base() + "/parameter/Program.ini"; }

  // Integrated start; `names` are the NameM lines of section Common.
  Names Integrated(const std::string& names, const std::string& passed_path) {
    const std::string backup = host_.temp_dir() + "/Backup";
    Write(backup + "/parameter/program.ini", "");
    Write(Hx3(), "[Common]\r\nSaveAndRestore=" + backup + "\r\n" + names);
    run_.start_mode_integrated = true;
    run_.machine_list.clear();
    GetExistingMachines(run_, passed_path);
    EXPECT_EQ(run_.program_ini_path, backup + "/parameter/program.ini");
    return run_.machine_list;
  }
};

TEST_F(MachineListsTest, IntegratedNamesUpToDashEmptyOrFive) {
  EXPECT_EQ(Integrated("NameM1=Filler\r\nNameM2=Packer\r\nNameM3=-\r\n"
                       "NameM4=Wrapper\r\n",
                       Hx3()),
            (Names{"Filler", "Packer"}));
  EXPECT_EQ(Integrated("NameM1=A\r\nNameM2=B\r\nNameM3=C\r\nNameM4=D\r\n"
                       "NameM5=E\r\nNameM6=F\r\n",
                       Hx3()),
            (Names{"A", "B", "C", "D", "E"}));
  EXPECT_EQ(Integrated("NameM1=\r\nNameM2=Packer\r\n", Hx3()), Names{});
  EXPECT_EQ(Integrated("NameM1=Filler\r\n", ""), Names{});
  EXPECT_EQ(Integrated("NameM1=Filler\r\n", Hx3() + ".missing"), Names{});
  EXPECT_TRUE(host_.shown_boxes().empty());
}

TEST_F(MachineListsTest, StandaloneTakesEveryCountedEntryAsItIs) {
  Write(ProgramIni(),
        "[Project]\r\nNumberOfMachines=4\r\n"
        "[Machine1]\r\nMachineName=Filler\r\n[Machine3]\r\nMachineName=-\r\n"
        "[Machine4]\r\nMachineName=Wrapper\r\n[Machine5]\r\nMachineName=X\r\n");
  Write(Hx3(), "[Common]\r\nNameM1=Other\r\n");
  GetExistingMachines(run_, Hx3());
  EXPECT_EQ(run_.machine_list, (Names{"Filler", "", "-", "Wrapper"}));
  EXPECT_EQ(run_.program_ini_path, ProgramIni());
}

TEST_F(MachineListsTest, StandaloneWithoutPositiveCountIsEmpty) {
  GetExistingMachines(run_, "");  // no project file at all
  EXPECT_EQ(run_.program_ini_path, "");
  for (const char* count :
       {"", "NumberOfMachines=0\r\n", "NumberOfMachines=-3\r\n"}) {
    Write(ProgramIni(), std::string("[Project]\r\n") + count +
                            "[Machine1]\r\nMachineName=A\r\n");
    GetExistingMachines(run_, "");
  }
  EXPECT_TRUE(run_.machine_list.empty());
  EXPECT_TRUE(host_.shown_boxes().empty());
}

}  // namespace
}  // namespace md_Standard_Config_Exe
