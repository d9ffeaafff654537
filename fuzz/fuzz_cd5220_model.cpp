// Any byte stream into the CD5220 customer display's model.
#include "fuzz/customer_model_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return CheckCustomerDisplayModel<korv::sim::Cd5220Model>(data, size);
}
