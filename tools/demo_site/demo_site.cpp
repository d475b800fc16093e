// Placeholder: the demo site is being written.
namespace tunewell::demo {}
