// Stands in for the Access reader's own decoding of a Jet 3 text, which
// takes every file to be in code page 1252: each byte is handed over as
// the character of its own number, and the compiled reader decodes the
// bytes in the code page the file's header names (web/reader.cpp).
export function decodeWindows1252(buffer) {
  let text = '';
  for (let i = 0; i < buffer.length; i += 4096) {
    text += String.fromCharCode(...buffer.subarray(i, Math.min(i + 4096, buffer.length)));
  }
  return text;
}
