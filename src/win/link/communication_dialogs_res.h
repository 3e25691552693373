// The communication dialogs of the menu "通信": their templates and controls
// (with "Close" of resource.h).
#pragma once

#define IDD_INTERFACE 150
#define IDD_SERIAL_SETTINGS 151
#define IDD_CLIENT_SERVER 152
#define IDD_TCP_CLIENT 153
#define IDD_TCP_SERVER 154

#define IDC_INTERFACE_LIST 1701      // "RS-232C/RS-485", "TCP/IP"
#define IDC_COM_PORT_LIST 1702       // "COM1".."COM6"
#define IDC_CONTROL_LIST 1703        // "RS-232C", "RS-485"
#define IDC_ROLE_LIST 1704           // "Client", "Server"
#define IDC_HOST_ADDRESS 1705        // "Host IP Address"
#define IDC_HOST_LIST 1706           // "Host List"
#define IDE_PORT_NUMBER 1707         // "Port Number"
#define IDB_ADD_HOST 1708            // "追加"
#define IDB_DELETE_HOST 1709         // "削除"
#define IDB_CONNECT 1710             // "接続"
#define IDB_DISCONNECT 1711          // "切断"
#define IDE_TRANSMISSION_PLACE 1712  // "Transmission Place"
#define IDC_CLIENT_LIST 1713         // "Client List"
#define IDC_CONNECTION_STATE 1714    // the client's "接続中…" / "接続済み"
#define IDE_SERVER_ADDRESS 1715      // the address the server listens on
#define IDC_LISTED_HOSTS_ONLY 1716   // "登録したアドレスのみ許可"
