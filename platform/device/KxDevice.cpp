#include "KxDevice.h"

KxDeviceIface::~KxDeviceIface() = default;
KxDevice::~KxDevice() = default;
