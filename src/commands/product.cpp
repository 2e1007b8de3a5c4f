#include "commands/product.h"

std::string ProductVersionText() {
    return std::to_string(ProductVersion / 100) + "." + (ProductVersion % 100 < 10 ? "0" : "") +
           std::to_string(ProductVersion % 100);
}
