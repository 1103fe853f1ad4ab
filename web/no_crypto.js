// Encrypted Access files are not read (nor are they by the desktop's
// reader): the page's worker leaves the Access reader's ciphers out, and a
// file that needs them fails to open.
export function createDecipheriv() {
  throw new Error('encrypted database files are not read');
}
// Stands for both modules it replaces: the cipher module's default object
// and the hash module's default function.
export default Object.assign(createDecipheriv, { createDecipheriv });
