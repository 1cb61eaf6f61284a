// SPDX-License-Identifier: MIT
#include "protocols/DataControlProtocol.h"

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <algorithm>
#include <cstring>

namespace navrik {

using namespace dataControl;
static_assert(EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE == kCreateDataSource
              && ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE == kCreateDataSource
              && EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE == kGetDataDevice
              && ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE == kGetDataDevice
              && EXT_DATA_CONTROL_MANAGER_V1_DESTROY == kManagerDestroy
              && ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY == kManagerDestroy
              && EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION == kSetSelection
              && ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION == kSetSelection
              && EXT_DATA_CONTROL_DEVICE_V1_DESTROY == kDeviceDestroy
              && ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY == kDeviceDestroy
              && EXT_DATA_CONTROL_SOURCE_V1_OFFER == kOffer && ZWLR_DATA_CONTROL_SOURCE_V1_OFFER == kOffer
              && EXT_DATA_CONTROL_SOURCE_V1_DESTROY == kSourceDestroy
              && ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY == kSourceDestroy
              && EXT_DATA_CONTROL_OFFER_V1_RECEIVE == kReceive && ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE == kReceive
              && EXT_DATA_CONTROL_OFFER_V1_DESTROY == kOfferDestroy
              && ZWLR_DATA_CONTROL_OFFER_V1_DESTROY == kOfferDestroy);

namespace {

// The newer, standard protocol first.
const std::array<DataControlProtocol, 2> kDataControlProtocols{{
    {"ext_data_control_manager_v1", 1, &ext_data_control_manager_v1_interface,
     &ext_data_control_device_v1_interface, &ext_data_control_source_v1_interface,
     &ext_data_control_offer_v1_interface},
    {"zwlr_data_control_manager_v1", 2, &zwlr_data_control_manager_v1_interface,
     &zwlr_data_control_device_v1_interface, &zwlr_data_control_source_v1_interface,
     &zwlr_data_control_offer_v1_interface},
}};

} // namespace

const DataControlProtocol* betterDataControl(const char* interface, const DataControlProtocol* known)
{
    for (const DataControlProtocol& protocol : kDataControlProtocols) {
        // The first in Navrik's order wins, whichever the compositor names first.
        if (std::strcmp(interface, protocol.global) == 0 && (!known || &protocol < known))
            return &protocol;
    }
    return nullptr;
}

bool isTextType(const char* type)
{
    return std::any_of(kTextTypes.begin(), kTextTypes.end(), [&](const char* known) { return std::strcmp(type, known) == 0; });
}

} // namespace navrik
