// The learner's tree as one .zip and back: the same layout as the desktop
// edition's folder (M0/data/step.TXT, M0/lessons/, config/velmora/), so that
// records move between home and school and between the two editions. Files
// are stored as they are; a zip from another tool may also deflate them.
"use strict";
window.VelmoraZip = (function () {
  const CRC_TABLE = (() => {
    const table = new Uint32Array(256);
    for (let n = 0; n < 256; ++n) {
      let c = n;
      for (let k = 0; k < 8; ++k) { c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1; }
      table[n] = c >>> 0;
    }
    return table;
  })();
  const crc32 = (bytes) => {
    let c = 0xffffffff;
    for (let i = 0; i < bytes.length; ++i) { c = CRC_TABLE[(c ^ bytes[i]) & 0xff] ^ (c >>> 8); }
    return (c ^ 0xffffffff) >>> 0;
  };
  const UTF8_NAMES = 0x0800;

  /** [{name, bytes}] as the bytes of a zip. */
  function make(files) {
    const encoder = new TextEncoder();
    const parts = [];
    const central = [];
    let offset = 0;
    for (const file of files) {
      const name = encoder.encode(file.name);
      const crc = crc32(file.bytes);
      const local = new DataView(new ArrayBuffer(30));
      local.setUint32(0, 0x04034b50, true);
      local.setUint16(4, 20, true);
      local.setUint16(6, UTF8_NAMES, true);
      local.setUint32(14, crc, true);
      local.setUint32(18, file.bytes.length, true);
      local.setUint32(22, file.bytes.length, true);
      local.setUint16(26, name.length, true);
      parts.push(new Uint8Array(local.buffer), name, file.bytes);
      const entry = new DataView(new ArrayBuffer(46));
      entry.setUint32(0, 0x02014b50, true);
      entry.setUint16(4, 20, true);
      entry.setUint16(6, 20, true);
      entry.setUint16(8, UTF8_NAMES, true);
      entry.setUint32(16, crc, true);
      entry.setUint32(20, file.bytes.length, true);
      entry.setUint32(24, file.bytes.length, true);
      entry.setUint16(28, name.length, true);
      entry.setUint32(42, offset, true);
      central.push(new Uint8Array(entry.buffer), name);
      offset += 30 + name.length + file.bytes.length;
    }
    const size = central.reduce((n, p) => n + p.length, 0);
    const end = new DataView(new ArrayBuffer(22));
    end.setUint32(0, 0x06054b50, true);
    end.setUint16(8, files.length, true);
    end.setUint16(10, files.length, true);
    end.setUint32(12, size, true);
    end.setUint32(16, offset, true);
    return new Blob([...parts, ...central, new Uint8Array(end.buffer)], {type: "application/zip"});
  }

  async function inflate(bytes) {
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("deflate-raw"));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  /** The files of a zip's bytes, [{name, bytes}]; throws on a damaged one. */
  async function read(buffer) {
    const bytes = new Uint8Array(buffer);
    const view = new DataView(buffer);
    let end = -1;
    for (let i = bytes.length - 22; i >= Math.max(0, bytes.length - 22 - 65535); --i) {
      if (view.getUint32(i, true) === 0x06054b50) { end = i; break; }
    }
    if (end < 0) { throw new Error("zip ではありません"); }
    const count = view.getUint16(end + 10, true);
    let at = view.getUint32(end + 16, true);
    const decoder = new TextDecoder("utf-8", {fatal: true});
    const files = [];
    for (let n = 0; n < count; ++n) {
      if (at + 46 > bytes.length || view.getUint32(at, true) !== 0x02014b50) { throw new Error("zip がこわれています"); }
      const method = view.getUint16(at + 10, true);
      const crc = view.getUint32(at + 16, true);
      const packed = view.getUint32(at + 20, true);
      const nameLength = view.getUint16(at + 28, true);
      const extra = view.getUint16(at + 30, true) + view.getUint16(at + 32, true);
      const local = view.getUint32(at + 42, true);
      const name = decoder.decode(bytes.subarray(at + 46, at + 46 + nameLength));
      at += 46 + nameLength + extra;
      if (local + 30 > bytes.length || view.getUint32(local, true) !== 0x04034b50) { throw new Error("zip がこわれています"); }
      const start = local + 30 + view.getUint16(local + 26, true) + view.getUint16(local + 28, true);
      if (start + packed > bytes.length) { throw new Error("zip がこわれています"); }
      const stored = bytes.subarray(start, start + packed);
      if (name.endsWith("/")) { continue; }  // a folder
      let data;
      if (method === 0) {
        data = stored.slice();
      } else if (method === 8) {
        data = await inflate(stored);
      } else {
        throw new Error("この zip のちぢめ方は読めません");
      }
      if (crc32(data) !== crc) { throw new Error("zip がこわれています"); }
      files.push({name, bytes: data});
    }
    return files;
  }

  return {make, read, crc32};
})();
