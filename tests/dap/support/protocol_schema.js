// Every message the adapter sends, checked against the protocol's own types: JSON schemas made
// from @vscode/debugprotocol's declarations by ts-json-schema-generator, one per message type,
// on first use, and checked by ajv.
'use strict';
const Ajv = require('ajv');
const tsj = require('ts-json-schema-generator');

let generator;
const ajv = new Ajv({ strict: false, allErrors: true });
const validators = new Map();

function validatorFor(typeName) {
  if (!validators.has(typeName)) {
    generator ??= tsj.createGenerator({
      path: require.resolve('@vscode/debugprotocol/lib/debugProtocol.d.ts'),
      skipTypeCheck: true,
      expose: 'all',
      topRef: false,
      jsDoc: 'none',
    });
    let validate = null;
    try {
      validate = ajv.compile(generator.createSchema(`DebugProtocol.${typeName}`));
    } catch (e) {
      if (!/No root type/.test(e.message)) throw e;  // a type the protocol does not have
    }
    validators.set(typeName, validate);
  }
  return validators.get(typeName);
}

const capitalised = (name) => name.charAt(0).toUpperCase() + name.slice(1);

// The protocol type a message should be: events and responses by their names.
function typeOf(message) {
  if (message.type === 'event') return `${capitalised(String(message.event))}Event`;
  if (message.type === 'response') {
    return message.success ? `${capitalised(String(message.command))}Response` : 'ErrorResponse';
  }
  return null;
}

// What is wrong with a message the adapter sent, or null.
function protocolErrors(message) {
  const type = typeOf(message);
  if (!type) return `not an event or a response: ${JSON.stringify(message)}`;
  const validate = validatorFor(type);
  if (!validate) return `no protocol type ${type} for ${JSON.stringify(message)}`;
  if (validate(message)) return null;
  return `${type}: ${ajv.errorsText(validate.errors)} in ${JSON.stringify(message)}`;
}

module.exports = { protocolErrors };
