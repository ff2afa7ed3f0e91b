// Playback devices as a test wants them: a list of endpoints, the default
// one, failures at any step, environment variables and icon files; the
// switching object records its calls and makes the console role's endpoint
// the default, as the system does.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "devices/device_platform.h"

namespace volmaru {
// Host stand-in for the platform's device picture: where it came from.
struct DeviceIconImage {
  std::string File;
  int Index = 0;
};
}  // namespace volmaru

namespace volmaru::devices::testing {

struct FakeEndpoint {
  std::string Id;
  std::string Name;
  std::string IconPath;
  bool IdFails = false;
  bool PropertiesFail = false;
};

class FakeDevicePlatform : public DevicePlatform {
 public:
  std::vector<FakeEndpoint> endpoints;
  std::string defaultId;
  bool listFails = false;
  bool defaultFails = false;
  bool noSetter = false;
  std::set<Role> refusedRoles;
  std::map<std::string, std::string> env;
  std::vector<std::pair<std::string, int>> setterCalls;  // (endpoint ID, role)
  std::vector<std::string> extracted;                    // "file,index"
  int listings = 0;
  int beyondCount = 0;  // asks for a device past the listing's count

  std::unique_ptr<EndpointList> ListPlaybackEndpoints() override {
    ++listings;
    if (listFails) return nullptr;
    return std::make_unique<List>(*this);
  }
  std::unique_ptr<DefaultEndpointSetter> CreateDefaultEndpointSetter() override {
    if (noSetter) return nullptr;
    return std::make_unique<Setter>(*this);
  }
  std::string EnvironmentVariable(std::string_view name) override {
    const auto it = env.find(std::string(name));
    return it == env.end() ? std::string() : it->second;
  }
  DeviceIconRef ExtractLargeIcon(const std::string& file, int index) override {
    extracted.push_back(file + "," + std::to_string(index));
    return std::make_shared<const DeviceIconImage>(DeviceIconImage{file, index});
  }

 private:
  class List : public EndpointList {
   public:
    explicit List(FakeDevicePlatform& p) : p_(p) {}
    size_t Count() override { return p_.endpoints.size(); }
    std::optional<std::string> DefaultId() override {
      if (p_.defaultFails) return std::nullopt;
      return p_.defaultId;
    }
    std::optional<std::string> Id(size_t i) override {
      if (i >= p_.endpoints.size()) ++p_.beyondCount;
      if (i >= p_.endpoints.size() || p_.endpoints[i].IdFails) return std::nullopt;
      return p_.endpoints[i].Id;
    }
    std::optional<EndpointProperties> Properties(size_t i) override {
      if (i >= p_.endpoints.size()) ++p_.beyondCount;
      if (i >= p_.endpoints.size() || p_.endpoints[i].PropertiesFail) return std::nullopt;
      return EndpointProperties{p_.endpoints[i].Name, p_.endpoints[i].IconPath};
    }

   private:
    FakeDevicePlatform& p_;
  };
  class Setter : public DefaultEndpointSetter {
   public:
    explicit Setter(FakeDevicePlatform& p) : p_(p) {}
    bool SetDefaultEndpoint(const std::string& id, Role role) override {
      p_.setterCalls.emplace_back(id, static_cast<int>(role));
      if (p_.refusedRoles.count(role)) return false;
      if (role == Role::kConsole) p_.defaultId = id;
      return true;
    }

   private:
    FakeDevicePlatform& p_;
  };
};

}  // namespace volmaru::devices::testing
