namespace quill::platform {}
