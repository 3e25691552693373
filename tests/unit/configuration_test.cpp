#include "app/configuration.h"

#include <gtest/gtest.h>

#include "app/session.h"
#include "test_support.h"

namespace orv {
namespace {

TEST(Configuration, IntegersReadLikeAtoi) {
  EXPECT_EQ(profile_atoi("12abc"), 12);
  EXPECT_EQ(profile_atoi("  -3"), -3);
  EXPECT_EQ(profile_atoi("abc"), 0);
  EXPECT_EQ(profile_atoi(""), 0);
  EXPECT_EQ(profile_atoi("99999999999999999999"), 2147483647);
  EXPECT_EQ(profile_atoi("-99999999999999999999"), -2147483647 - 1);
}

// A store with a model other than 0 or 1, the selection under the other
// spelling of its section, and values longer than their buffers.
TEST(Configuration, ModelSelectionAndValuesAsTheyAreStored) {
  test::MemoryProfileStore store;
  store.set("select_model", "7");
  store.write(kClientSelectSection, "client_select_ip_address", "3");
  store.set("port_number", "1000123");
  store.set("control", "0000000000000001");  // 16 characters: only 15 fit
  Session state;
  apply_configuration(state, read_configuration(store));
  EXPECT_EQ(state.config.select_model, 1);
  EXPECT_EQ(state.document.settings.inputCount, 64);
  EXPECT_EQ(state.config.client_select_ip_address, 3);
  EXPECT_EQ(buffer_text(state.config.port_number), "10001");
  EXPECT_EQ(state.config.control, 0);
}

TEST(Configuration, HostListFromTheNumberedKeysWithTheCountBounded) {
  test::MemoryProfileStore store;
  store.set("ip_address_count", "2");
  store.set("IP_001", "192.168.000.010");
  store.set("ip_002", "010.000.000.001");  // names compare without case
  store.set("IP_003", "001.001.001.001");  // beyond the count: not read
  Configuration c = read_configuration(store);
  EXPECT_EQ(c.ip_address_count, 2);
  EXPECT_EQ(c.host_addresses[0], (Octets{192, 168, 0, 10}));
  EXPECT_EQ(c.host_addresses[1], (Octets{10, 0, 0, 1}));
  EXPECT_EQ(c.host_addresses[2], (Octets{0, 0, 0, 0}));

  store.set("ip_address_count", "5000");
  store.set("IP_256", "001.002.003.004");
  c = read_configuration(store);
  EXPECT_EQ(c.ip_address_count, kHostListSize);
  EXPECT_EQ(c.host_addresses[255], (Octets{1, 2, 3, 4}));
  store.set("ip_address_count", "-4");
  EXPECT_EQ(read_configuration(store).ip_address_count, 0);
}

TEST(Configuration, HostAddressTextNeverYieldsAnImpossibleOctet) {
  EXPECT_EQ(parse_host_address("999.x9z.1"), (Octets{255, 90, 100, 0}));
  EXPECT_EQ(parse_host_address("0"), (Octets{0, 0, 0, 0}));
}

TEST(Configuration, PortNamesAndSelectedHostOutsideTheList) {
  EXPECT_EQ(com_port_name(6), "");
  EXPECT_EQ(com_port_name(-1), "");
  Configuration c;
  c.ip_address_count = 2;
  for (int selected : {-1, 5, 300}) {  // as a stored key may say
    c.client_select_ip_address = selected;
    EXPECT_FALSE(c.selected_host().has_value()) << selected;
  }
}

TEST(HostList, AddAndDeleteWriteTheKeysTheClientDialogWrites) {
  test::MemoryProfileStore store;
  Configuration c;
  ASSERT_TRUE(add_host(c, store, {192, 168, 0, 10}));
  EXPECT_EQ(store.get("IP_001"), "192.168.000.010");
  EXPECT_EQ(store.get("ip_address_count"), "001");
  EXPECT_EQ(c.client_select_ip_address, 0);
  add_host(c, store, {10, 0, 0, 2});
  add_host(c, store, {10, 0, 0, 3});
  c.client_select_ip_address = 1;

  EXPECT_EQ(delete_host(c, store, 1), 1) << "the third address shows in the box";
  EXPECT_EQ(c.client_select_ip_address, 1) << "now the former third";
  EXPECT_EQ(store.get("IP_002"), "010.000.000.003");
  EXPECT_EQ(store.get("IP_003"), "010.000.000.003") << "beyond the count: left, not read";
  EXPECT_EQ(store.get("ip_address_count"), "002");
  EXPECT_EQ(delete_host(c, store, -1), 0) << "no row given: the last, the selected one";
  EXPECT_EQ(c.client_select_ip_address, 0);
  EXPECT_EQ(delete_host(c, store, 0), -1);
  EXPECT_EQ(c.client_select_ip_address, -1);
  EXPECT_EQ(store.get("ip_address_count"), "000");
  EXPECT_FALSE(c.selected_host().has_value()) << "connecting has nothing to read";
  EXPECT_EQ(delete_host(c, store, 0), -1) << "an empty list";

  for (int i = 0; i < kHostListSize; ++i) add_host(c, store, {10, 0, 0, 1});
  const int writes = store.writes;
  EXPECT_FALSE(add_host(c, store, {10, 0, 0, 9})) << "a full list refuses";
  EXPECT_EQ(store.writes, writes);
  EXPECT_EQ(c.ip_address_count, kHostListSize);
  EXPECT_EQ(store.get("IP_256"), "010.000.000.001");
}

TEST(PortNumber, OnlyOneToSixtyFiveThousandFiveHundredThirtyFive) {
  EXPECT_EQ(tcp_port("09004"), 9004);
  EXPECT_EQ(tcp_port("65535"), 65535);
  for (const char* bad : {"", "00000", "70000", "12a", "123456"})
    EXPECT_FALSE(tcp_port(bad)) << bad;
  test::MemoryProfileStore store;
  Configuration c;
  write_port_number(c, store, "1000123");
  EXPECT_EQ(store.get("port_number"), "10001");
  EXPECT_EQ(buffer_text(c.port_number), "10001");
}

}  // namespace
}  // namespace orv
