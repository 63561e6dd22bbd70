// Every request of the pipe protocol, written once. The request codes, the
// service's operations and its request table are all expanded from this
// list, so adding a request touches this list and its handler.
//
//   X(Name, code, direction, minLength, maxLength, footprint, fixedBytes, device, change)
//
// direction   0 no data, 1 server to client, 2 client to server
// min/max     the `length` the server accepts (Any: no upper bound; 16: a 16-bit count)
// footprint   how many bytes of the data block the operation touches: None,
//             Fixed (fixedBytes), Length (`length` bytes), LengthSectors (`length` x 512)
// device      whether the request addresses a device of the table
// change      how it meets a socket whose reader changed since the program
//             last heard of it: None, Status (shown the slot empty once),
//             Command (answered once with a card change)
#pragma once

// clang-format off
#define ZRB_PIPE_REQUESTS(X) \
  X(Attach,                 0x42410001, 0, 0,  Any, None,          0,  false, None)    \
  X(Detach,                 0x42410002, 0, 0,  Any, None,          0,  false, None)    \
  X(CountDevices,           0x42410003, 1, 4,  Any, Fixed,         4,  false, None)    \
  X(QueryDriveLetter,       0x42410004, 1, 4,  Any, Fixed,         4,  true,  None)    \
  X(QueryDiscoveryPosition, 0x42410005, 1, 4,  Any, Fixed,         4,  true,  None)    \
  X(Load,                   0x42410006, 0, 0,  Any, None,          0,  true,  None)    \
  X(Eject,                  0x42410007, 0, 0,  Any, None,          0,  true,  None)    \
  X(Acquire,                0x42410008, 0, 0,  Any, None,          0,  true,  None)    \
  X(Release,                0x42410009, 0, 0,  Any, None,          0,  true,  None)    \
  X(Rezero,                 0x53430001, 0, 0,  Any, None,          0,  true,  Command) \
  X(WriteDeviceTable,       0x53430005, 2, 84, Any, Fixed,         84, true,  Command) \
  X(ReadDeviceTable,        0x53430006, 1, 84, Any, Fixed,         84, true,  Command) \
  X(Inquiry,                0x53430012, 1, 36, Any, Fixed,         36, true,  None)    \
  X(GetStatus,              0x53430013, 1, 4,  Any, Fixed,         4,  true,  Status)  \
  X(ReadCommon,             0x53430020, 1, 0,  Any, Length,        0,  true,  Command) \
  X(EraseMemory,            0x53430021, 0, 0,  Any, None,          0,  true,  Command) \
  X(WriteCommon,            0x53430022, 2, 0,  Any, Length,        0,  true,  Command) \
  X(ReadAttribute,          0x53430024, 1, 0,  Any, Length,        0,  true,  Command) \
  X(ReadCapacity,           0x53430025, 1, 0,  Any, Fixed,         8,  true,  Command) \
  X(WriteAttribute,         0x53430026, 2, 0,  Any, Length,        0,  true,  Command) \
  X(ReadSectors,            0x53430028, 1, 0,  Any, LengthSectors, 0,  true,  Command) \
  X(WriteSectors,           0x5343002A, 2, 0,  Any, LengthSectors, 0,  true,  Command) \
  X(DownloadFirmware,       0x5343003B, 2, 0,  Any, Length,        0,  true,  Command) \
  X(VendorCommand3D,        0x5343003D, 0, 0,  Any, None,          0,  true,  Command) \
  X(AtaWriteTaskFile,       0x53430156, 2, 0,  Any, Fixed,         8,  true,  Command) \
  X(AtaReadTaskFile,        0x53430056, 1, 0,  Any, Fixed,         8,  true,  Command) \
  X(AtaExecute,             0x53430256, 0, 0,  Any, None,          0,  true,  Command) \
  X(AtaWriteData,           0x53430356, 2, 0,  16,  LengthSectors, 0,  true,  Command) \
  X(AtaReadData,            0x53430456, 1, 0,  16,  LengthSectors, 0,  true,  Command)
// clang-format on
