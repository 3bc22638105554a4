// The reference side of lz_reference_test.py: the npm package lz-string, and
// visualsubnetcalc's own steps for share links (getConfigUrl and processConfigUrl,
// restated here without the page around them). Reads a JSON array of requests on standard
// input, writes a JSON array of answers.
'use strict';
const path = require('path');
const LZString = require(path.resolve(process.argv[2], 'node_modules', 'lz-string'));

function fromHex(hex) {
  let s = '';
  for (let i = 0; i < hex.length; i += 4) s += String.fromCharCode(parseInt(hex.slice(i, i + 4), 16));
  return s;
}
function toHex(s) {
  let out = '';
  for (let i = 0; i < s.length; i++) out += s.charCodeAt(i).toString(16).padStart(4, '0');
  return out;
}

// The tool's helpers, as it defines them.
const ip2int = ip => ip.split('.').reduce((n, o) => (n << 8) + parseInt(o, 10), 0) >>> 0;
const int2ip = n => (n >>> 24) + '.' + (n >> 16 & 255) + '.' + (n >> 8 & 255) + '.' + (n & 255);
function getNthSubnet(base, subnet) {
  const [baseIp] = base.split('/');
  const [ip, mask] = subnet.split('/');
  const offset = ip2int(ip) - ip2int(baseIp);
  return `${offset >>> (32 - parseInt(mask, 10))}${parseInt(mask, 10).toString(36)}`;
}
function getSubnetFromNth(base, nth) {
  const [baseIp] = base.split('/');
  const size = parseInt(nth.slice(-1), 36);
  const n = parseInt(nth.slice(0, -1), 10);
  return `${int2ip(ip2int(baseIp) + (n << (32 - size)))}/${size}`;
}
const isNetworkKey = k => !k.startsWith('_') && k !== 'n' && k !== 'c' && k !== 'p';
function minify(out, map, base) {
  for (const subnet in map) {
    if (subnet.startsWith('_')) continue;
    const key = getNthSubnet(base, subnet);
    out[key] = {};
    if (map[subnet].hasOwnProperty('_note')) out[key].n = map[subnet]._note;
    if (map[subnet].hasOwnProperty('_color')) out[key].c = map[subnet]._color;
    if (map[subnet]._cellColors) out[key].p = map[subnet]._cellColors;
    if (Object.keys(map[subnet]).some(k => !k.startsWith('_'))) minify(out[key], map[subnet], base);
  }
}
function expand(out, mini, base) {
  for (const key in mini) {
    if (!isNetworkKey(key)) continue;
    const subnet = getSubnetFromNth(base, key);
    out[subnet] = {};
    if (Object.keys(mini[key]).some(isNetworkKey)) expand(out[subnet], mini[key], base);
    if (mini[key].hasOwnProperty('n')) out[subnet]._note = mini[key].n;
    if (mini[key].hasOwnProperty('c')) out[subnet]._color = mini[key].c;
  }
}
function renameKey(obj, from, to) {
  if (!Object.prototype.hasOwnProperty.call(obj, from)) return;
  Object.defineProperty(obj, to, Object.getOwnPropertyDescriptor(obj, from));
  delete obj[from];
}
function linkOf(config) {
  const base = config.base_network;
  const mini = {};
  minify(mini, config.subnets, base);
  const out = JSON.parse(JSON.stringify(config));
  out.subnets = mini;
  renameKey(out, 'config_version', 'v');
  renameKey(out, 'base_network', 'b');
  renameKey(out, 'operating_mode', 'm');
  renameKey(out, 'subnets', 's');
  return 'https://visualsubnetcalc.com/index.html?c=1' + LZString.compressToEncodedURIComponent(JSON.stringify(out));
}
function openLink(link) {
  const c = new URL(link).searchParams.get('c');
  const config = JSON.parse(LZString.decompressFromEncodedURIComponent(c.substring(1)));
  renameKey(config, 'v', 'config_version');
  renameKey(config, 'm', 'operating_mode');
  renameKey(config, 's', 'subnets');
  renameKey(config, 'b', 'base_network');
  const expanded = {};
  expand(expanded, config.subnets, config.base_network);
  config.subnets = expanded;
  return config;
}

let input = '';
process.stdin.on('data', d => { input += d; });
process.stdin.on('end', () => {
  const answers = JSON.parse(input).map(req => {
    switch (req.op) {
      case 'compress': return LZString.compressToEncodedURIComponent(fromHex(req.hex));
      case 'decompress': {
        const s = LZString.decompressFromEncodedURIComponent(req.text);
        return s === null ? null : toHex(s);
      }
      case 'open-link': return openLink(req.link);
      case 'make-link': return linkOf(req.config);
    }
    throw new Error('unknown request ' + req.op);
  });
  process.stdout.write(JSON.stringify(answers));
});
