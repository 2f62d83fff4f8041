// Anchor of the resource library; the resources themselves are linked in as Qt resource objects.
namespace chirpel {
const char *resourceLibraryName() { return "chirpel_resources"; }
} // namespace chirpel
