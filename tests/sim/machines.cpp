#include "tests/sim/machines.h"

#include <windows.h>

#include <cstring>

#include "tests/test_files.h"

namespace sim {
namespace {

using test_files::Beside;

fake_dx::Device Hal(const std::string& name) {
  return {"HAL", name, fake_dx::DeviceDesc(IID_IDirect3DHALDevice, true, DDBD_16 | DDBD_32)};
}

fake_dx::Adapter Card() {
  fake_dx::Adapter card = fake_dx::Primary("Simulated Display", true);
  card.devices = {Hal("Direct3D HAL")};
  std::strcpy(card.identifier.szDescription, "Simulated Card");
  std::strcpy(card.identifier.szDriver, Beside("version_ja.dll").c_str());
  return card;
}

fake_dx::SoundDevice Sound(const std::string& description, int guid) {
  fake_dx::SoundDevice device;
  device.hasGuid = guid != 0;
  device.guid = fake_dx::MakeGuid(guid);
  device.description = description;
  return device;
}

}  // namespace

bool Build(const std::string& name, fake_dx::Machine& machine) {
  machine = fake_dx::Machine();
  machine.adapters = {Card()};
  machine.soundDevices = {Sound("Primary Sound Driver", 0), Sound("Simulated Speakers", 1)};
  fake_dx::Adapter& card = machine.adapters[0];

  if (name == "normal") {
  } else if (name == "no-adapter") {
    machine.adapters.clear();
  } else if (name == "adapter-create-fails") {
    // The first adapter cannot be opened; a second one can and is reported.
    card.createResults = {DDERR_GENERIC};
    fake_dx::Adapter second = fake_dx::Secondary("Second Display", 2);
    second.devices = {Hal("Direct3D HAL")};
    std::strcpy(second.identifier.szDescription, "Second Card");
    machine.adapters.push_back(second);
  } else if (name == "survey-create-fails") {
    card.createResults = {DD_OK, DDERR_NODIRECTDRAWHW};
  } else if (name == "no-direct3d") {
    card.hasDirect3D = false;
  } else if (name == "8-bit-modes") {
    card.modes = {fake_dx::Mode(640, 480, 8), fake_dx::Mode(800, 600, 8)};
  } else if (name == "20-devices") {
    card.devices.clear();
    for (int i = 0; i < 20; ++i) card.devices.push_back(Hal("Device " + std::to_string(i)));
  } else if (name == "60-modes") {
    card.modes.clear();
    for (DWORD i = 0; i < 60; ++i) card.modes.push_back(fake_dx::Mode(1000 + i, 700, 16));
  } else if (name == "unterminated-description") {
    std::memset(card.identifier.szDescription, 'D', sizeof card.identifier.szDescription);
    std::memset(&card.identifier.liDriverVersion, 'V', sizeof card.identifier.liDriverVersion);
  } else if (name == "version-600") {
    std::strcpy(card.identifier.szDriver, Beside("version_long.dll").c_str());
  } else if (name == "version-empty") {
    std::strcpy(card.identifier.szDriver, Beside("version_empty.dll").c_str());
  } else if (name == "version-missing") {
    std::strcpy(card.identifier.szDriver, Beside("version_none.dll").c_str());
  } else if (name == "25-sound-devices") {
    for (int i = 2; i <= 25; ++i) machine.soundDevices.push_back(Sound("Speakers " + std::to_string(i), i));
  } else if (name == "4k-sound-description") {
    machine.soundDevices.push_back(Sound(std::string(4096, 'S'), 2));
  } else if (name == "sound-fails") {
    machine.soundResult = DSERR_NODRIVER;
  } else {
    return false;
  }
  return true;
}

}  // namespace sim
