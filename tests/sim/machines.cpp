#include "tests/sim/machines.h"

#include <cstring>

namespace sim {
namespace {

fake_dx::Adapter Card() {
  fake_dx::Adapter card = fake_dx::Primary("Simulated Display", true);
  card.devices = {{"HAL", "Direct3D HAL",
                   fake_dx::DeviceDesc(IID_IDirect3DHALDevice, true, DDBD_16 | DDBD_32)}};
  std::strcpy(card.identifier.szDescription, "Simulated Card");
  std::strcpy(card.identifier.szDriver, "simulated.dll");
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
  if (name == "normal") return true;
  if (name == "no-adapter") {
    machine.adapters.clear();
    return true;
  }
  if (name == "create-fails") {
    machine.adapters[0].createResults = {DD_OK, DDERR_NODIRECTDRAWHW};
    return true;
  }
  if (name == "sound-fails") {
    machine.soundResult = DSERR_NODRIVER;
    return true;
  }
  return false;
}

}  // namespace sim
